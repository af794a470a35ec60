#pragma once
// The few file operations of the consistency scanner, over the platform's own
// file handle: a Win32 file HANDLE in the installer, a stdio stream in the
// native build (the stamping tool and the native tests), so that both run the
// very same scanner. Each operation returns false on failure and then sets
// `error` to the system's code, taken at the failing call.
#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include "ZeRizIva/UniqueHandle.h"
using ConsistencyFileHandle = HANDLE;
using OwnedConsistencyFile = UniqueFile;
#else
#include <cstdio>
#include <memory>
struct StdioFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using ConsistencyFileHandle = std::FILE*;
using OwnedConsistencyFile = std::unique_ptr<std::FILE, StdioFileCloser>;
#endif

// Opens an existing file for reading, and for writing too when asked; others
// may read it meanwhile. An empty owner on failure.
OwnedConsistencyFile OpenConsistencyFile(const char* path, bool writable, unsigned long& error);

// The file's size in bytes.
bool SizeOfConsistencyFile(ConsistencyFileHandle file, std::uint64_t& size, unsigned long& error);
// Moves to an absolute offset.
bool SeekConsistencyFile(ConsistencyFileHandle file, std::uint64_t offset, unsigned long& error);
// Reads up to `size` bytes; `bytesRead` is 0 at the end of the file.
bool ReadConsistencyFile(ConsistencyFileHandle file, unsigned char* buffer, size_t size, size_t& bytesRead,
                         unsigned long& error);
// Writes all bytes; a short write is a failure.
bool WriteConsistencyFile(ConsistencyFileHandle file, const unsigned char* bytes, size_t size,
                          unsigned long& error);
