#pragma once
// The uninstaller's results: its exit code, or the value its temporary copy
// writes into the caller's result section.
#include "ZeRizIva/NamedCode.h"

namespace uninstall_result {

inline constexpr int kSuccess = 0;
// The work goes on in a temporary copy, which reports through the result
// section that the caller gave. Without one the uninstaller waits for its
// copy's result itself and ends with that.
inline constexpr int kHandedOver = 1;
// Not started as the registration says: no key name, an unknown argument, or
// result handles that are not a section and an event of this process.
inline constexpr int kBadCommandLine = 2;
// The user answered No to the confirmation.
inline constexpr int kCancelled = 3;
// No registration, no or an empty "UninstallParam", or a string not understood.
inline constexpr int kLoadFailed = 12;
// Something listed could neither be removed nor scheduled for the next restart.
inline constexpr int kPartialFailure = 13;
// The temporary copy ended without reporting a result (it was ended from
// outside, or the result could not be handed over): what it did is unknown.
inline constexpr int kNoResult = 14;
// Another installation or removal of the product ran all the time this run
// waited for it; nothing was removed. The installer's code for the same.
inline constexpr int kAnotherRunInProgress = 1618;

// Each result with its name, for the log's closing line.
inline constexpr NamedCode kNamedResults[] = {
    {kSuccess, "kSuccess"},
    {kHandedOver, "kHandedOver"},
    {kBadCommandLine, "kBadCommandLine"},
    {kCancelled, "kCancelled"},
    {kLoadFailed, "kLoadFailed"},
    {kPartialFailure, "kPartialFailure"},
    {kNoResult, "kNoResult"},
    {kAnotherRunInProgress, "kAnotherRunInProgress"},
};

} // namespace uninstall_result
