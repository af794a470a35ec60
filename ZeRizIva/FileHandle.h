#pragma once
// Positioned reads and writes on an open file, with failures recorded (code and
// function name) rather than raised. Each step runs only while nothing failed.
#include <windows.h>

#include <string>

#include "CallResult.h"

class FileHandle : public SystemCallResult {
public:
    explicit FileHandle(HANDLE file) : file_(file) {}

    // Moves first unless (FILE_CURRENT, 0); with advance false the pointer is
    // put back where the read began. The buffer's length becomes the bytes read.
    void Read(std::string& buffer, DWORD size, LONGLONG offset = 0, DWORD moveMethod = FILE_CURRENT,
              bool advance = true);
    // A short write is recorded as error 112 under "WriteFile()".
    void Write(const void* bytes, DWORD size, LONGLONG offset = 0, DWORD moveMethod = FILE_CURRENT,
               bool advance = true);

private:
    bool Move(LONGLONG distance, DWORD moveMethod);

    HANDLE file_;
};
