#include "PathEnvironment.h"

#include <windows.h>

#include <vector>

#include "didur/OsInfo.h"
#include "install/EnvironmentChange.h"
#include "install/InstallParams.h"
#include "install/RunJournal.h"
#include "uninstall_contract/UninstallParams.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/FileHandle.h"
#include "ZeRizIva/RegKey.h"
#include "ZeRizIva/Text.h"
#include "ZeRizIva/UniqueHandle.h"

namespace {

constexpr char kMachineEnvironment[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char kUserEnvironment[] = "HKEY_CURRENT_USER\\Environment";

bool ListHolds(const std::string& list, const std::string& directory)
{
    for (const std::string& item : Split(list, ';'))
        if (CompareNoCase(item, directory) == 0)
            return true;
    return false;
}

// A semicolon separates the search path's entries (and is never the second
// byte of a double-byte character): an entry holding one would be read back as
// a stray folder and a relative name, and every later run would add it again.
// Such an entry is left out, and the user is told.
bool CanBeListed(const std::string& entry, const std::string& directory)
{
    if (entry.find(';') == std::string::npos)
        return true;
    WriteLine("Warning: directory '" + directory +
              "' was not added to the search path because its name contains a semicolon");
    return false;
}

// One scope's PATH value: 0 read, 2 missing (an empty value), anything else unusable.
struct PathValue {
    explicit PathValue(const char* keyPath) : key(keyPath)
    {
        RegKey reader(keyPath);
        reader.TryReadString("PATH", text, false);
        code = reader.Code();
    }
    bool Usable() const { return code == ERROR_SUCCESS || code == ERROR_FILE_NOT_FOUND; }
    bool Holds(const std::string& directory) const { return code == ERROR_SUCCESS && ListHolds(text, directory); }
    // Appends the directory and records the entry for the uninstaller.
    bool Append(const std::string& directory) const
    {
        RunJournal::SearchPathEntry(key, directory);
        RegKey writer(key);
        writer.TryWriteString("PATH", text.empty() ? directory : text + ";" + directory, true);
        if (writer.succeeded())
            UninstallRecord().SearchPathEntry(key, directory);
        return writer.succeeded();
    }

    const char* key;
    std::string text;
    unsigned long code;
};

void UpdateNtPath(const std::string& directory, bool allUsers)
{
    if (!CanBeListed(directory, directory))
        return;
    const PathValue machine(kMachineEnvironment);
    const PathValue user(kUserEnvironment);
    if (machine.Holds(directory))
        return;  // the machine's entry serves every user
    bool written = false;
    if (allUsers && machine.Usable())
        written = machine.Append(directory);
    if (!written && !user.Holds(directory) && user.Usable())
        written = user.Append(directory);
    if (written)
        AnnounceEnvironmentChange();
}

std::string Trim(const std::string& text)
{
    const char* blanks = "\t\n\r ";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string ReadAutoexec()
{
    UniqueFile file(CreateFileA(kAutoexecFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {};
    std::string text;
    FileHandle(file.get()).Read(text, kAutoexecReadLimit);
    return text;
}

void UpdateAutoexec(const std::string& directory)
{
    char buffer[261];
    const DWORD length = GetShortPathNameA(directory.c_str(), buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return;
    const std::string shortDirectory(buffer, length);
    if (!CanBeListed(shortDirectory, directory))
        return;  // the short form is what the line would hold
    if (AutoexecPathHolds(ReadAutoexec(), directory, shortDirectory))
        return;
    // A missing file is created: the path then takes effect at the next start.
    UniqueFile file(CreateFileA(kAutoexecFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    const std::string line = "\r\nPATH=%PATH%;" + shortDirectory + "\r\n";
    RunJournal::AutoexecPathEntry(shortDirectory);
    FileHandle(file.get()).Write(line.data(), static_cast<DWORD>(line.size()), 0, FILE_END);
    UninstallRecord().AutoexecPathEntry(shortDirectory);
}

} // namespace

bool AutoexecPathHolds(const std::string& text, const std::string& directory, const std::string& shortDirectory)
{
    bool found = false;
    for (const std::string& rawLine : Split(text, '\n')) {
        const std::string line = Trim(rawLine);
        if (CompareNoCase(line.substr(0, 4), "PATH") != 0)
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        if (equals + 1 == line.size()) {
            found = false;  // "PATH=" empties the path
            continue;
        }
        std::string value = line.substr(equals + 1);
        value.erase(0, value.find_first_not_of("\t\n\r "));
        if (!value.empty() && value.front() == '"')
            value.erase(0, 1);
        if (!value.empty() && value.back() == '"')
            value.pop_back();
        bool here = false;
        bool resets = true;
        for (const std::string& item : Split(value, ';')) {
            if (CompareNoCase(item, "%PATH%") == 0)
                resets = false;  // extends the earlier path
            if (CompareNoCase(item, directory) == 0 || CompareNoCase(item, shortDirectory) == 0)
                here = true;
        }
        if (here)
            found = true;
        else if (found && resets)
            found = false;  // a later line sets the path anew without us
    }
    return found;
}

void UpdatePathEnvironment(const std::string& directory, bool allUsers)
{
    try {
        if (Os().Platform() == VER_PLATFORM_WIN32_NT)
            UpdateNtPath(directory, allUsers);
        else
            UpdateAutoexec(directory);
    } catch (...) {
        // The search path is a convenience: it never stops the installation.
    }
}
