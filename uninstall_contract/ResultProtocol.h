#pragma once
// The result protocol by which a caller (the installer removing an earlier
// installation) learns the uninstaller's result. The caller creates an
// inheritable 4-byte section and an inheritable manual-reset event and starts
// "UninstallString" with CallerArguments appended:
//
//   ... -unat -result=<section> -done=<event>
//
// The uninstaller ends with its result (UninstallResult.h), or with
// kHandedOver when a temporary copy of it does the work; the copy writes the
// result into the section, then signals the event.
#include <string>

#include "UninstallResult.h"

namespace result_protocol {

// The switches' names as the uninstaller's command line reads them.
inline constexpr wchar_t kUnattended[] = L"unat";
inline constexpr wchar_t kSection[] = L"result";
inline constexpr wchar_t kEvent[] = L"done";

// " -name", or " -name=" with a value: a switch as written on a command line
// (the names are ASCII).
std::string Switch(const wchar_t* name, bool withValue);
// " -result=<section> -done=<event>", the handle values' texts as given.
std::string ChannelArguments(const std::string& section, const std::string& event);
// What the caller appends: " -unat" and the channel for two handle values.
std::string CallerArguments(unsigned long long section, unsigned long long event);

// A handle value on the command line: 1 to 16 hexadecimal digits naming a
// value other than zero.
bool ParseHandleValue(const std::wstring& text, unsigned long long& value);
std::string HandleValueText(unsigned long long value);

} // namespace result_protocol
