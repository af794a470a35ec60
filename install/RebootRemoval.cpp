#include "RebootRemoval.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "InstallerRegistry.h"
#include "didur/DllLoader.h"
#include "didur/OsInfo.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/UniqueHandle.h"

namespace {

constexpr char kProfile[] = "WININIT.INI";
constexpr char kSection[] = "Rename";
constexpr DWORD kSectionBuffer = 0x7FFF;  // the most a section may reach by our own scheduling
constexpr DWORD kSectionLimit = 0x800000;   // the largest section read whole
constexpr char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingValue[] = "PendingFileRenameOperations";

bool IsNtFamily() { return Os().Platform() == VER_PLATFORM_WIN32_NT; }

bool ShortPath(const std::string& path, std::string& shortPath)
{
    char buffer[261];
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return false;
    shortPath.assign(buffer, length);
    return true;
}

// The whole "Rename" section as a block of zero-terminated entries and a
// final zero, or nothing when it is larger than kSectionLimit. Other programs'
// entries may make it larger than the historic 32,767 bytes: a block read cut
// short must never be written back, or their entries are lost.
std::optional<std::vector<char>> ReadRenameSection()
{
    for (DWORD size = kSectionBuffer; size <= kSectionLimit; size *= 2) {
        std::vector<char> block(size, '\0');
        const DWORD copied = GetPrivateProfileSectionA(kSection, block.data(), size, kProfile);
        if (copied < size - 2) {  // size - 2 is what a cut-short read returns
            block.resize(copied + 2);
            return block;
        }
    }
    return std::nullopt;
}

// The offsets at which the block's entries start; the final zero is at the end.
std::vector<size_t> EntryOffsets(const std::vector<char>& block, size_t& finalZero)
{
    std::vector<size_t> offsets;
    size_t offset = 0;
    while (offset < block.size() && block[offset] != '\0') {
        offsets.push_back(offset);
        offset += std::strlen(&block[offset]) + 1;
    }
    finalZero = offset;
    return offsets;
}

bool WriteRenameSection(const std::vector<char>& block)
{
    if (!WritePrivateProfileStringA(kSection, nullptr, nullptr, kProfile))
        return false;
    return WritePrivateProfileSectionA(kSection, block.data(), kProfile) != FALSE;
}

bool MoveOnNt(const std::string& source, const char* target, DWORD flags)
{
    DllLoader kernel;
    if (!kernel.Load(true, "kernel32.dll", true))
        return false;
    using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto moveFileEx =
        reinterpret_cast<MoveFileExFn>(reinterpret_cast<void*>(GetProcAddress(kernel.Handle(), "MoveFileExA")));
    return moveFileEx && moveFileEx(source.c_str(), target, flags);
}

// "<target>=<source>", where the target NUL deletes the source.
bool AddRenameEntry(const std::string& entry)
{
    std::optional<std::vector<char>> read = ReadRenameSection();
    if (!read) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return false;
    }
    std::vector<char>& block = *read;
    size_t finalZero = 0;
    for (size_t offset : EntryOffsets(block, finalZero))
        if (CompareNoCaseMultibyte(&block[offset], entry) == 0)
            return true;
    if (entry.size() + finalZero + 1 >= kSectionBuffer) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return false;
    }
    block.resize(finalZero);
    block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    block.push_back('\0');
    return WriteRenameSection(block);
}

bool ScheduleOnWin9x(const std::string& path)
{
    std::string shortPath;
    return ShortPath(path, shortPath) && AddRenameEntry("NUL=" + shortPath);
}

bool CancelOnNt(const std::string& path)
{
    try {
        std::vector<std::string> pending = ReadRegistryMultiString(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
        std::string shortPath;
        if (!ShortPath(path, shortPath))
            return false;
        bool changed = false;
        // Pairs of (source, destination); an empty destination is a deletion.
        for (size_t i = 0; i + 1 < pending.size();) {
            std::string source = pending[i];
            if (source.compare(0, 4, "\\??\\") == 0)
                source[1] = '\\';  // the native prefix becomes the long-path prefix
            std::string shortSource;
            if (ShortPath(source, shortSource)) {
                const bool longForm = shortSource.compare(0, 4, "\\\\?\\") == 0;
                if (CompareNoCaseMultibyte(shortPath, longForm ? shortSource.substr(4) : shortSource) == 0) {
                    pending.erase(pending.begin() + i, pending.begin() + i + 2);
                    changed = true;
                    continue;
                }
            }
            i += 2;
        }
        if (!changed)
            return false;
        // Programs that schedule later append to the value as it stands: an
        // empty list written as one empty string would shift every pair after
        // it, so an emptied list goes. A list that already begins with an
        // empty string was damaged by someone else; it is left as it is.
        if (pending.empty())
            DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
        else if (pending.front().empty())
            return false;
        else
            WriteRegistryMultiString(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, pending);
        return true;
    } catch (...) {
        return false;
    }
}

bool CancelOnWin9x(const std::string& path)
{
    const std::optional<std::vector<char>> block = ReadRenameSection();
    if (!block)
        return false;
    std::string shortPath;
    if (!ShortPath(path, shortPath))
        return false;
    std::vector<char> kept;
    size_t finalZero = 0;
    bool dropped = false;
    for (size_t offset : EntryOffsets(*block, finalZero)) {
        const char* text = &(*block)[offset];
        const char* equals = std::strchr(text, '=');
        if (equals && CompareNoCaseMultibyte(equals + 1, shortPath) == 0) {
            dropped = true;
            continue;
        }
        kept.insert(kept.end(), text, text + std::strlen(text) + 1);
    }
    if (!dropped)
        return false;
    kept.push_back('\0');
    if (kept.size() == 1)
        kept.push_back('\0');  // an emptied section is two zero bytes
    return WriteRenameSection(kept);
}

} // namespace

bool ScheduleRemovalOnReboot(const std::string& path)
{
    try {
        return IsNtFamily() ? MoveOnNt(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) : ScheduleOnWin9x(path);
    } catch (...) {
        return false;
    }
}

bool ScheduleReplacementOnReboot(const std::string& source, const std::string& target)
{
    try {
        if (IsNtFamily())
            return MoveOnNt(source, target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING);
        std::string shortSource, shortTarget;
        return ShortPath(source, shortSource) && ShortPath(target, shortTarget) &&
               AddRenameEntry(shortTarget + "=" + shortSource);
    } catch (...) {
        return false;
    }
}

bool CancelScheduledRemoval(const std::string& path)
{
    try {
        return IsNtFamily() ? CancelOnNt(path) : CancelOnWin9x(path);
    } catch (...) {
        return false;
    }
}
