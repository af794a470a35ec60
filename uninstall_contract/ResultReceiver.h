#pragma once
// The caller's end of the result protocol (ResultProtocol.h): an inheritable
// 4-byte section and an inheritable manual-reset event, which the process it
// starts inherits and names on its command line. Used by the installer when it
// runs an earlier uninstaller, and by an uninstaller that nobody gave a channel
// when it hands over to its temporary copy.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "ZeRizIva/UniqueHandle.h"

class ResultReceiver {
public:
    // Raises InstallError naming the call that failed.
    ResultReceiver();

    // " -unat -result=<section> -done=<event>"
    std::string CallerArguments() const;
    // The handle values as -result= and -done= take them.
    std::string SectionText() const;
    std::string EventText() const;

    // The result once it is there; nothing when the reporter (when given)
    // ended first, or when the time ran out.
    std::optional<std::int32_t> Await(HANDLE reporter, DWORD milliseconds) const;

private:
    UniqueKernelHandle section_;
    UniqueMappedView view_;
    UniqueKernelHandle event_;
};
