#include "FileHandle.h"

bool FileHandle::Move(LONGLONG distance, DWORD moveMethod)
{
    if (failed())
        return false;
    LONG high = static_cast<LONG>(distance >> 32);
    const DWORD low = SetFilePointer(file_, static_cast<LONG>(distance & 0xFFFFFFFF), &high, moveMethod);
    if (low == INVALID_SET_FILE_POINTER) {
        const DWORD error = GetLastError();
        if (error != NO_ERROR) {
            Set(L"SetFilePointer()", error);
            return false;
        }
    }
    return true;
}

void FileHandle::Read(std::string& buffer, DWORD size, LONGLONG offset, DWORD moveMethod, bool advance)
{
    if ((moveMethod != FILE_CURRENT || offset != 0) && !Move(offset, moveMethod))
        return;
    if (failed())
        return;
    buffer.assign(size, '\0');
    DWORD read = 0;
    if (!ReadFile(file_, buffer.data(), size, &read, nullptr)) {
        Set(L"ReadFile()", GetLastError());
        buffer.clear();
        return;
    }
    buffer.resize(read);
    if (!advance)
        Move(-static_cast<LONGLONG>(read), FILE_CURRENT);
}

void FileHandle::Write(const void* bytes, DWORD size, LONGLONG offset, DWORD moveMethod, bool advance)
{
    if ((moveMethod != FILE_CURRENT || offset != 0) && !Move(offset, moveMethod))
        return;
    if (failed())
        return;
    DWORD written = 0;
    if (!WriteFile(file_, bytes, size, &written, nullptr)) {
        Set(L"WriteFile()", GetLastError());
        return;
    }
    if (written < size) {
        Set(L"WriteFile()", ERROR_DISK_FULL);
        return;
    }
    if (!advance)
        Move(-static_cast<LONGLONG>(written), FILE_CURRENT);
}
