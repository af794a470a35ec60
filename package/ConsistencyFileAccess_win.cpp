#include "ConsistencyFileAccess.h"

OwnedConsistencyFile OpenConsistencyFile(const char* path, bool writable, unsigned long& error)
{
    const DWORD access = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    OwnedConsistencyFile file(
        CreateFileA(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        error = GetLastError();
    return file;
}

bool SizeOfConsistencyFile(ConsistencyFileHandle file, std::uint64_t& size, unsigned long& error)
{
    // GetFileSize rather than GetFileSizeEx, which Windows 98 and NT 4.0 lack.
    // A low part of 0xFFFFFFFF is also a valid size: only the error code tells.
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(file, &high);
    const DWORD lastError = GetLastError();
    if (low == INVALID_FILE_SIZE && lastError != NO_ERROR) {
        error = lastError;
        return false;
    }
    size = static_cast<std::uint64_t>(high) << 32 | low;
    return true;
}

bool SeekConsistencyFile(ConsistencyFileHandle file, std::uint64_t offset, unsigned long& error)
{
    LONG high = static_cast<LONG>(offset >> 32);
    // A low part of 0xFFFFFFFF is also a valid position: only the error code tells.
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    const DWORD lastError = GetLastError();
    if (low == INVALID_SET_FILE_POINTER && lastError != NO_ERROR) {
        error = lastError;
        return false;
    }
    return true;
}

bool ReadConsistencyFile(ConsistencyFileHandle file, unsigned char* buffer, size_t size, size_t& bytesRead,
                         unsigned long& error)
{
    DWORD read = 0;
    if (!ReadFile(file, buffer, static_cast<DWORD>(size), &read, nullptr)) {
        error = GetLastError();
        return false;
    }
    bytesRead = read;
    return true;
}

bool WriteConsistencyFile(ConsistencyFileHandle file, const unsigned char* bytes, size_t size,
                          unsigned long& error)
{
    DWORD written = 0;
    if (!WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr)) {
        error = GetLastError();
        return false;
    }
    if (written != size) {
        error = ERROR_DISK_FULL;
        return false;
    }
    return true;
}
