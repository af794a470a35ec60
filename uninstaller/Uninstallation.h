#pragma once
// One run of the uninstaller, from its command line to its result: the exit
// code, and in the temporary copy also the value written into the caller's
// result section (uninstall_result).
#include <string>

int RunUninstaller(const std::wstring& commandLine);
