// The command-line splitter on any text and any flags: its positional
// arguments, options, unused-argument report and help query must equal a plain
// splitting by the rules (CmdLine.h), and the wiping flag must leave the given
// text zeroed.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/CmdLine.h"

namespace {

bool IsBoundarySpace(wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\t' || c == L' '; }

struct Option {
    std::wstring name;  // as first written
    bool hasValue;
    std::wstring value;
};

struct NameOrder {
    bool caseSensitive;
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        return caseSensitive ? a < b : CompareNoCase(a, b) < 0;
    }
};

struct Split {
    explicit Split(bool caseSensitive) : options(NameOrder{caseSensitive}) {}

    std::vector<std::wstring> positional;
    std::map<std::wstring, Option, NameOrder> options;
};

// Raw tokens: whitespace outside quotes separates; a quote toggles, unless
// escaped by an odd run of backslashes just before it in the token.
std::vector<std::wstring> RawTokens(const std::wstring& text, bool escapes)
{
    std::vector<std::wstring> tokens;
    std::wstring token;
    bool inQuotes = false;
    for (wchar_t c : text) {
        if (!inQuotes && IsBoundarySpace(c)) {
            if (!token.empty())
                tokens.push_back(token);
            token.clear();
            continue;
        }
        if (c == L'"') {
            const auto lastOther = token.find_last_not_of(L'\\');
            const std::size_t run = token.size() - (lastOther == std::wstring::npos ? 0 : lastOther + 1);
            if (!escapes || run % 2 == 0)
                inQuotes = !inQuotes;
        }
        token += c;
    }
    if (!token.empty())
        tokens.push_back(token);
    return tokens;
}

std::wstring Unquote(const std::wstring& token, bool escapes, bool doubledQuotes)
{
    std::wstring argument;
    bool escape = false, quote = false;
    for (wchar_t c : token) {
        if (c == L'\\') {
            if (!escape)
                argument += c;
            escape = !escape && escapes;
            quote = false;
        } else if (c == L'"' && quote) {
            argument += c;
            quote = false;
        } else if (c == L'"' && escape) {
            argument.back() = L'"';
            escape = false;
        } else if (c == L'"') {
            quote = doubledQuotes;
        } else {
            argument += c;
            escape = quote = false;
        }
    }
    return argument;
}

Split Reference(const std::wstring& text, std::uint32_t flags)
{
    const bool escapes = flags & CmdLine::BackslashEscapes;
    Split split((flags & CmdLine::CaseSensitiveNames) != 0);
    for (const std::wstring& token : RawTokens(text, escapes)) {
        const std::wstring argument = Unquote(token, escapes, flags & CmdLine::DoubledQuotes);
        if (argument.empty())
            continue;
        const bool option = argument[0] == L'-' || ((flags & CmdLine::SlashOptions) && argument[0] == L'/');
        if (argument.size() == 1 || !option) {
            split.positional.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find(L'=');
        const std::wstring name = argument.substr(1, equals == std::wstring::npos ? equals : equals - 1);
        const bool hasValue = equals != std::wstring::npos;
        const std::wstring value = hasValue ? argument.substr(equals + 1) : std::wstring();
        const auto [found, added] = split.options.try_emplace(name, Option{name, hasValue, value});
        if (!added) {
            found->second.hasValue = hasValue;
            found->second.value = value;
        }
    }
    return split;
}

std::wstring UnusedReport(const Split& split)
{
    std::string report;
    auto addLine = [&report](const std::string& line) { report += (report.empty() ? "" : "\n") + line + "."; };
    for (const std::wstring& text : split.positional)
        addLine("Invalid command option: " + WideToAnsi(text));
    for (const auto& [key, option] : split.options)
        addLine("Invalid command parameter: -" + WideToAnsi(option.name) +
                (option.hasValue ? "=" + WideToAnsi(option.value) : ""));
    return AnsiToWide(report);
}

// The whole text: a character 0 would end what().
std::wstring CheckAllUsedText(const CmdLine& cmd)
{
    try {
        cmd.CheckAllUsed(true);
    } catch (const CmdLine::Err& e) {
        return e.WideText();
    }
    return L"";
}

// Bytes are Latin-1 characters; 0xFE and the two bytes after it one wide
// character, so that letters outside Latin-1 and the '?' of their conversion
// are reached too.
std::wstring WideText(const std::vector<unsigned char>& bytes)
{
    std::wstring text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == 0xFE && i + 2 < bytes.size()) {
            text += static_cast<wchar_t>(bytes[i + 1] << 8 | bytes[i + 2]);
            i += 2;
        } else {
            text += static_cast<wchar_t>(bytes[i]);
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto choice = input.ConsumeIntegral<std::uint8_t>();
    std::uint32_t flags = choice & 7;  // BackslashEscapes, DoubledQuotes, SlashOptions
    if (choice & 8)
        flags |= CmdLine::CaseSensitiveNames;
    if (choice & 16)
        flags |= CmdLine::WipeCommandLine;
    const bool fromBuffer = choice & 32;
    std::wstring text = WideText(input.ConsumeRemainingBytes<unsigned char>());

    std::wstring buffer = text;
    if (fromBuffer)
        text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
    const Split expected = Reference(text, flags);
    CmdLine cmd = fromBuffer ? CmdLine(buffer.data(), flags) : CmdLine(text, flags);
    if (fromBuffer && (flags & CmdLine::WipeCommandLine))
        FUZZ_CHECK(buffer.find_first_not_of(L'\0', 0) >= text.size());

    FUZZ_CHECK(cmd.AnsiCommandLine() == WideToAnsi(text));
    FUZZ_CHECK(cmd.PositionalCount() == expected.positional.size());
    for (std::size_t i = 0; i < expected.positional.size(); ++i)
        FUZZ_CHECK(cmd.Positional(i) == expected.positional[i]);
    FUZZ_CHECK(cmd.HasAnyOption() == !expected.options.empty());
    for (const auto& [key, option] : expected.options) {
        std::wstring value;
        FUZZ_CHECK(cmd.HasSwitch(option.name, false) == !option.hasValue);
        FUZZ_CHECK(cmd.GetOptionValue(option.name, value, false) == option.hasValue);
        FUZZ_CHECK(value == option.value);
    }
    auto isSwitch = [&expected](const wchar_t* name) {
        const auto found = expected.options.find(name);
        return found != expected.options.end() && !found->second.hasValue;
    };
    FUZZ_CHECK(cmd.IsHelpRequested() == (isSwitch(L"?") || isSwitch(L"h") || isSwitch(L"help")));

    // Nothing is used yet: every argument is reported; once each is taken,
    // nothing is.
    FUZZ_CHECK(CheckAllUsedText(cmd) == UnusedReport(expected));
    for (std::size_t i = 0; i < expected.positional.size(); ++i)
        cmd.TakePositional(i);
    for (const auto& [key, option] : expected.options) {
        std::wstring value;
        FUZZ_CHECK(option.hasValue ? cmd.GetOptionValue(option.name, value) : cmd.HasSwitch(option.name));
    }
    FUZZ_CHECK(CheckAllUsedText(cmd).empty());
    return 0;
}
