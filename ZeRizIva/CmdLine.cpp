#include "CmdLine.h"

#include <cwchar>

#include "ZeRizIva/Codepage.h"

namespace {

bool IsBoundarySpace(wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\t' || c == L' '; }

// Overwrites a string's characters so the text does not outlive the object.
template <typename String>
void Wipe(String& text)
{
    volatile auto* p = text.data();
    for (size_t i = 0; i < text.size(); ++i)
        p[i] = 0;
}

} // namespace

bool CmdLine::NameLess::operator()(const std::wstring& a, const std::wstring& b) const
{
    return caseSensitive ? a < b : CompareNoCase(a, b) < 0;
}

CmdLine::CmdLine(wchar_t* commandLine, std::uint32_t flags)
    : flags_(flags), commandLine_(commandLine ? commandLine : L""),
      options_(NameLess{(flags & CaseSensitiveNames) != 0})
{
    if ((flags & WipeCommandLine) && commandLine)
        for (wchar_t* p = commandLine; *p; ++p)
            *p = 0;
    ansiCommandLine_ = WideToAnsi(commandLine_);
    Split();
}

CmdLine::CmdLine(const std::wstring& commandLine, std::uint32_t flags)
    : flags_(flags), commandLine_(commandLine), options_(NameLess{(flags & CaseSensitiveNames) != 0})
{
    ansiCommandLine_ = WideToAnsi(commandLine_);
    Split();
}

CmdLine::~CmdLine()
{
    if (!(flags_ & WipeCommandLine))
        return;
    Wipe(commandLine_);
    Wipe(ansiCommandLine_);
    for (Entry& entry : entries_) {
        Wipe(entry.text);
        Wipe(entry.value);
    }
    // Map keys are copies of option names too; they cannot be changed in place.
    std::vector<std::wstring> keys;
    for (auto& option : options_)
        keys.push_back(option.first);
    options_.clear();
    for (std::wstring& key : keys)
        Wipe(key);
}

// Raw tokens keep their quotes; a quote preceded by an odd number of
// backslashes (with BackslashEscapes) belongs to the token and toggles nothing.
void CmdLine::Split()
{
    const bool escapes = flags_ & BackslashEscapes;
    std::wstring token;
    bool inQuotes = false;
    for (wchar_t c : commandLine_) {
        if (c == L'"') {
            size_t backslashes = 0;
            while (backslashes < token.size() && token[token.size() - 1 - backslashes] == L'\\')
                ++backslashes;
            if (!(escapes && backslashes % 2 == 1))
                inQuotes = !inQuotes;
            token += c;
        } else if (!inQuotes && IsBoundarySpace(c)) {
            if (!token.empty())
                AddArgument(std::move(token));
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty())
        AddArgument(std::move(token));
}

// The argument as the program sees it: its quote marks go, but two in a row
// make one (DoubledQuotes); with BackslashEscapes a backslash makes the next
// quote or backslash a plain character.
std::wstring CmdLine::Unquote(const std::wstring& raw) const
{
    const bool escapes = flags_ & BackslashEscapes;
    const bool doubledQuotes = flags_ & DoubledQuotes;
    std::wstring argument;
    bool escapeMemory = false;
    bool quoteMemory = false;
    for (wchar_t c : raw) {
        if (c == L'\\') {
            if (escapeMemory)
                escapeMemory = false;
            else {
                argument += c;
                escapeMemory = escapes;
            }
            quoteMemory = false;
        } else if (c == L'"') {
            if (quoteMemory) {
                argument += c;
                quoteMemory = false;
            } else if (escapeMemory) {
                escapeMemory = false;
                argument.back() = L'"';
            } else {
                quoteMemory = doubledQuotes;
            }
        } else {
            escapeMemory = quoteMemory = false;
            argument += c;
        }
    }
    return argument;
}

void CmdLine::AddArgument(std::wstring raw)
{
    std::wstring argument = Unquote(raw);
    if (flags_ & WipeCommandLine)
        Wipe(raw);

    if (argument.empty())
        return;
    const bool optionPrefix = argument[0] == L'-' || ((flags_ & SlashOptions) && argument[0] == L'/');
    if (argument.size() == 1 || !optionPrefix) {
        positional_.push_back(entries_.size());
        entries_.push_back(Entry{false, std::move(argument), false, {}});
        return;
    }
    AddOption(argument);
    if (flags_ & WipeCommandLine)
        Wipe(argument);
}

// "-name" or "-name=value" (the prefix is not checked here).
void CmdLine::AddOption(const std::wstring& argument)
{
    const size_t equals = argument.find(L'=');
    std::wstring name = argument.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1);
    const bool hasValue = equals != std::wstring::npos;
    std::wstring value = hasValue ? argument.substr(equals + 1) : std::wstring();

    const auto found = options_.find(name);
    if (found != options_.end()) {
        // The last occurrence wins; the entry keeps its place, flag and spelling.
        Entry& entry = entries_[found->second];
        entry.hasValue = hasValue;
        if (flags_ & WipeCommandLine)
            Wipe(entry.value);
        entry.value = std::move(value);
        if (flags_ & WipeCommandLine)
            Wipe(name);
        return;
    }
    options_.emplace(name, entries_.size());
    entries_.push_back(Entry{false, std::move(name), hasValue, std::move(value)});
}

CmdLine::Entry* CmdLine::FindOption(const std::wstring& name)
{
    const auto found = options_.find(name);
    return found == options_.end() ? nullptr : &entries_[found->second];
}

bool CmdLine::HasSwitch(const std::wstring& name, bool mark)
{
    Entry* entry = FindOption(name);
    if (!entry || entry->hasValue)
        return false;
    if (mark)
        entry->used = true;
    return true;
}

bool CmdLine::GetOptionValue(const std::wstring& name, std::wstring& result, bool mark)
{
    Entry* entry = FindOption(name);
    if (!entry || !entry->hasValue)
        return false;
    result = entry->value;
    if (mark)
        entry->used = true;
    return true;
}

const std::wstring& CmdLine::TakePositional(size_t index)
{
    Entry& entry = entries_[positional_.at(index)];
    entry.used = true;
    return entry.text;
}

bool CmdLine::IsHelpRequested()
{
    return HasSwitch(L"?", false) || HasSwitch(L"h", false) || HasSwitch(L"help", false);
}

void CmdLine::CheckAllUsed(bool includeProgramPath) const
{
    std::string message;
    auto addLine = [&message](const std::string& line) {
        if (!message.empty())
            message += '\n';
        message += line;
    };
    for (size_t i = includeProgramPath ? 0 : 1; i < positional_.size(); ++i) {
        const Entry& entry = entries_[positional_[i]];
        if (!entry.used) {
            std::string line = "Invalid command option: ";
            line += WideToAnsi(entry.text);
            addLine(line + ".");
        }
    }
    for (const auto& option : options_) {
        const Entry& entry = entries_[option.second];
        if (entry.used)
            continue;
        std::string line = "Invalid command parameter: -";
        line += WideToAnsi(entry.text);
        if (entry.hasValue)
            line += "=" + WideToAnsi(entry.value);
        addLine(line + ".");
    }
    if (!message.empty())
        throw Err(AnsiToWide(message));
}
