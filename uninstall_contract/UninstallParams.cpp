#include "UninstallParams.h"

#include <iterator>

#include "ZeRizIva/Codepage.h"

namespace {

struct KnownSwitch {
    const char* name;
    UninstallSwitch kind;
};

constexpr KnownSwitch kSwitches[] = {
    {"-shareResWith=", UninstallSwitch::ShareResWith},
    {"-delDir=", UninstallSwitch::DelDir},
    {"-delMainFile=", UninstallSwitch::DelMainFile},
    {"-delFile=", UninstallSwitch::DelFile},
    {"-delRegKey=", UninstallSwitch::DelRegKey},
    {"-delRegValue=", UninstallSwitch::DelRegValue},
    {"-rstFileAssoc=", UninstallSwitch::RstFileAssoc},
    {"-schdlDelDir=", UninstallSwitch::SchdlDelDir},
    {"-schdlDelFile=", UninstallSwitch::SchdlDelFile},
    {"-delPathEntry=", UninstallSwitch::DelPathEntry},
    {"-delAutoexecPath=", UninstallSwitch::DelAutoexecPath},
};

constexpr const char* kRootNames[] = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",     "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

[[noreturn]] void Fail(const std::string& reason) { throw UninstallParamsError(reason); }

std::string Position(size_t offset) { return " at position " + std::to_string(offset + 1); }

// The text split at its backslashes; a backslash that is the second byte of a
// double-byte character separates nothing.
std::vector<std::string_view> SplitAtBackslashes(std::string_view text)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
            ++i;
        else if (text[i] == '\\') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool HasControlOrWildcard(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == '*' || c == '?')
            return true;
    return false;
}

bool IsExtension(std::string_view text)
{
    return text.size() >= 2 && text[0] == '.' && text.find('\\') == std::string_view::npos;
}

void CheckValue(UninstallSwitch kind, const std::string& name, const std::string& value, size_t offset)
{
    const std::string where = " in " + name + Position(offset);
    switch (kind) {
    case UninstallSwitch::ShareResWith:
        return;
    case UninstallSwitch::DelDir:
    case UninstallSwitch::DelMainFile:
    case UninstallSwitch::DelFile:
    case UninstallSwitch::SchdlDelDir:
    case UninstallSwitch::SchdlDelFile:
    case UninstallSwitch::DelAutoexecPath:
        if (!IsFullPath(value))
            Fail("not a full path: '" + value + "'" + where);
        return;
    case UninstallSwitch::DelRegKey:
        if (!IsRegistryKeyPath(value))
            Fail("not a registry key path: '" + value + "'" + where);
        return;
    case UninstallSwitch::DelRegValue:
        if (value.find(':') == std::string::npos || !IsRegistryKeyPath(SplitAtColon(value).first))
            Fail("not a registry key path, a colon and a value name: '" + value + "'" + where);
        return;
    case UninstallSwitch::DelPathEntry: {
        const ColonPair pair = SplitAtColon(value);
        if (value.find(':') == std::string::npos || !IsRegistryKeyPath(pair.first) || !IsFullPath(pair.second))
            Fail("not a registry key path, a colon and a full path: '" + value + "'" + where);
        return;
    }
    case UninstallSwitch::RstFileAssoc: {
        if (value.find(':') == std::string::npos)
            Fail("not an extension, a colon and a ProgID: '" + value + "'" + where);
        const ColonPair pair = SplitAtColon(value);
        if (!IsExtension(pair.first) || pair.second.empty() || pair.second.find('\\') != std::string::npos)
            Fail("not an extension, a colon and a ProgID: '" + value + "'" + where);
        return;
    }
    }
}

UninstallItem ParseItem(std::string_view item, size_t offset)
{
    for (const KnownSwitch& known : kSwitches) {
        const std::string_view name = known.name;
        if (item.substr(0, name.size()) != name)
            continue;
        std::string value(item.substr(name.size()));
        if (value.empty())
            Fail("no value for " + std::string(name) + Position(offset));
        CheckValue(known.kind, std::string(name), value, offset);
        return {known.kind, std::move(value)};
    }
    const size_t equals = item.find('=');
    if (item.empty() || item[0] != '-' || equals == std::string_view::npos)
        Fail("not a switch: \"" + std::string(item) + "\"" + Position(offset));
    Fail("unknown switch " + std::string(item.substr(0, equals + 1)) + Position(offset));
}

} // namespace

std::vector<UninstallItem> ParseUninstallParams(std::string_view text)
{
    std::vector<UninstallItem> items;
    size_t pos = text.find_first_not_of(' ');
    if (pos == std::string_view::npos)
        Fail("the uninstall parameters are empty");
    while (pos < text.size()) {
        if (text[pos] != '"')
            Fail("text outside quotes" + Position(pos));
        const size_t close = text.find('"', pos + 1);
        if (close == std::string_view::npos)
            Fail("quote left open" + Position(pos));
        items.push_back(ParseItem(text.substr(pos + 1, close - pos - 1), pos));
        pos = close + 1;
        if (pos < text.size() && text[pos] != ' ')
            Fail("no space between items" + Position(pos));
        pos = text.find_first_not_of(' ', pos);
    }
    return items;
}

const char* SwitchName(UninstallSwitch kind)
{
    for (const KnownSwitch& known : kSwitches)
        if (known.kind == kind)
            return known.name;
    return "";
}

ColonPair SplitAtColon(std::string_view value)
{
    const size_t colon = value.find(':');
    if (colon == std::string_view::npos)
        return {std::string(value), {}};
    return {std::string(value.substr(0, colon)), std::string(value.substr(colon + 1))};
}

bool IsRegistryKeyPath(std::string_view path)
{
    const std::vector<std::string_view> parts = SplitAtBackslashes(path);
    if (parts.size() < 2)
        return false;  // a root key alone is never something to delete
    bool knownRoot = false;
    for (const char* root : kRootNames)
        knownRoot = knownRoot || CompareNoCase(parts[0], root) == 0;
    if (!knownRoot)
        return false;
    for (std::string_view part : parts)
        if (part.empty())
            return false;
    return true;
}

bool IsFullPath(std::string_view path)
{
    if (HasControlOrWildcard(path))
        return false;
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() > 3 && isLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return true;
    // A share: "\\server\share\..."; device and long-path forms ("\\.\", "\\?\") are not taken.
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '.' && path[2] != '\\') {
        const std::vector<std::string_view> parts = SplitAtBackslashes(path.substr(2));
        return parts.size() >= 2 && !parts[0].empty() && !parts[1].empty();
    }
    return false;
}
