#pragma once
// The file-system queries the steps decide by.
#include <string>

// FindFirstFileA finds the path itself, a final backslash left out (a drive
// root is therefore "absent").
bool PathExists(const std::string& path);
// FILE_ATTRIBUTE_DIRECTORY; a failed query counts as a directory.
bool IsDirectory(const std::string& path);
// Nothing but "." and ".." (or no match at all) inside.
bool IsDirectoryEmpty(const std::string& path);
// The file's size in bytes; 0 when it cannot be told.
unsigned long long FileSize(const std::string& path);
