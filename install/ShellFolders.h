#pragma once
// The shell folders the installer needs. Each asks the shell (when it is new
// enough), then the registry, then takes a fixed value; only a full path
// ("X:\..." or "\\server\share\...") is taken. It never raises; an empty
// string means the folder is unknown.
#include <string>

std::string GetProgramFilesFolder();
std::string GetDesktopFolder();
std::string GetCommonDesktopFolder();
std::string GetProgramsFolder();
std::string GetCommonProgramsFolder();
