#include "SearchPathRemoval.h"

#include <windows.h>

#include <vector>

#include "EnvironmentChange.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/FileHandle.h"
#include "ZeRizIva/RegKey.h"
#include "ZeRizIva/Text.h"
#include "ZeRizIva/UniqueHandle.h"
#include "install/RegistryCleanup.h"
#include "uninstall_contract/UninstallParams.h"

namespace {


// Index of the last part that matches, or -1.
template <typename Matches>
long LastMatching(const std::vector<std::string>& parts, Matches matches)
{
    for (size_t i = parts.size(); i-- > 0;)
        if (matches(parts[i]))
            return static_cast<long>(i);
    return -1;
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i)
        text += (i ? separator : "") + parts[i];
    return text;
}

std::string WithoutCarriageReturn(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace

ItemOutcome RemoveSearchPathEntry(const std::string& environmentKey, const std::string& directory)
{
    const std::string failure = "Removing " + directory + " from the search path failed: ";
    std::string list;
    RegKey reader(environmentKey);
    reader.TryReadString("PATH", list, false);
    if (reader.Code() == ERROR_FILE_NOT_FOUND)
        return RemovedOutcome();
    if (reader.failed())
        return {ItemOutcome::Failed, failure + reader.NarrowFailureText()};
    std::vector<std::string> entries = Split(list, ';');
    const long ours = LastMatching(entries, [&](const std::string& entry) {
        return CompareNoCaseMultibyte(entry, directory) == 0;
    });
    if (ours < 0)
        return RemovedOutcome();  // gone already
    entries.erase(entries.begin() + ours);
    std::string problem;
    if (entries.empty()) {
        problem = DeleteValueOf(environmentKey, "PATH");  // the installation made the value
    } else {
        RegKey writer(environmentKey);
        writer.TryWriteString("PATH", Join(entries, ";"), true);
        if (writer.failed())
            problem = writer.NarrowFailureText();
    }
    if (!problem.empty())
        return {ItemOutcome::Failed, failure + problem};
    AnnounceEnvironmentChange();
    return RemovedOutcome();
}

ItemOutcome RemoveAutoexecPathEntry(const std::string& directory)
{
    const std::string failure = "Removing " + directory + " from the search path in " + kAutoexecFile + " failed: ";
    UniqueFile file(CreateFileA(kAutoexecFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return RemovedOutcome();
        return {ItemOutcome::Failed, failure + SystemCallResult(L"CreateFile()", error).NarrowFailureText()};
    }
    std::string text;
    FileHandle reader(file.get());
    reader.Read(text, kAutoexecReadLimit + 1);
    if (reader.failed())
        return {ItemOutcome::Failed, failure + reader.NarrowFailureText()};
    if (text.size() > kAutoexecReadLimit)
        return {ItemOutcome::Failed, failure + "the file is larger than it can be read whole"};
    // The installer appended "\r\nPATH=%PATH%;<directory>\r\n": its line, and
    // the empty line before it unless that line break ended the file's last line.
    const std::string added = "PATH=%PATH%;" + directory;
    std::vector<std::string> lines = Split(text, '\n');
    const long ours = LastMatching(lines, [&](const std::string& line) {
        return CompareNoCaseMultibyte(WithoutCarriageReturn(line), added) == 0;
    });
    if (ours < 0)
        return RemovedOutcome();
    const bool emptyBefore = ours > 0 && WithoutCarriageReturn(lines[ours - 1]).empty();
    lines.erase(lines.begin() + (emptyBefore ? ours - 1 : ours), lines.begin() + ours + 1);
    const std::string rest = Join(lines, "\n");
    FileHandle writer(file.get());
    writer.Write(rest.data(), static_cast<DWORD>(rest.size()), 0, FILE_BEGIN);
    if (writer.succeeded() && !SetEndOfFile(file.get()))
        return {ItemOutcome::Failed, failure + SystemCallResult(L"SetEndOfFile()", GetLastError()).NarrowFailureText()};
    if (writer.failed())
        return {ItemOutcome::Failed, failure + writer.NarrowFailureText()};
    return RemovedOutcome();
}
