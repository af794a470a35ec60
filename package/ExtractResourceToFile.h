#pragma once
// Writes a zlib-compressed resource of type "BINARY" (the uninstaller, 149),
// inflated, to a file; creates or truncates the file and closes it before
// returning. It records nothing and announces nothing: that is the caller's.
#include <cstddef>
#include <string>

// Raises InstallError when the resource cannot be loaded, std::runtime_error
// "FileSink: error opening file for writing: " + path or "FileSink: error
// writing file" for the file, and the decompressor's std::runtime_error texts
// (ZlibInflate.h) for a damaged stream; the bytes before the damage stay
// written.
// With Refuse, a file that exists already is an error rather than replaced:
// no one else can have prepared the file that is then run.
enum class ExistingFile { Replace, Refuse };

void ExtractResourceToFile(const std::string& path, int resourceId, ExistingFile existing = ExistingFile::Replace);
// The same for a stream already in memory.
void InflateToFile(const std::string& path, const unsigned char* stream, std::size_t size,
                   ExistingFile existing = ExistingFile::Replace);
