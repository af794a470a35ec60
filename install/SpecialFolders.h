#pragma once
// The shell folders the installer needs. Each asks the shell (when it is new
// enough), then the registry, then takes a fixed value: it always returns a
// string and never raises.
#include <string>

std::string GetProgramFilesFolder();
std::string GetDesktopFolder();
std::string GetCommonDesktopFolder();
std::string GetProgramsFolder();
std::string GetCommonProgramsFolder();
