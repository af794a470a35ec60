#pragma once
// A general command-line parser: splits a wide command line into positional
// arguments and named options, answers queries that mark what they consumed,
// and reports at the end everything that nobody consumed.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ZeRizIva/Exceptions.h"

class CmdLine {
public:
    class Err : public TException {
    public:
        using TException::TException;
    };

    enum Flags : std::uint32_t {
        BackslashEscapes = 1,
        DoubledQuotes = 2,
        SlashOptions = 4,
        CaseSensitiveNames = 256,
        WipeCommandLine = 4096,
    };

    // With WipeCommandLine the given text is overwritten with zeros once copied.
    CmdLine(wchar_t* commandLine, std::uint32_t flags);
    CmdLine(const std::wstring& commandLine, std::uint32_t flags);
    CmdLine(const CmdLine&) = delete;
    CmdLine& operator=(const CmdLine&) = delete;
    ~CmdLine();

    bool HasSwitch(const std::wstring& name, bool mark = true);
    bool GetOptionValue(const std::wstring& name, std::wstring& result, bool mark = true);
    bool IsHelpRequested();
    bool HasAnyOption() const { return !options_.empty(); }
    size_t OptionCount() const { return options_.size(); }
    bool HasOption(const std::wstring& name) const { return options_.count(name) != 0; }
    size_t PositionalCount() const { return positional_.size(); }
    const std::wstring& Positional(size_t index) const { return entries_[positional_.at(index)].text; }
    // The same, marked as consumed.
    const std::wstring& TakePositional(size_t index);
    const std::string& AnsiCommandLine() const { return ansiCommandLine_; }

    // Raises Err listing every argument that no query consumed.
    void CheckAllUsed(bool includeProgramPath) const;

private:
    struct Entry {
        bool used = false;
        std::wstring text;
        bool hasValue = false;
        std::wstring value;
    };
    struct NameLess {
        bool caseSensitive;
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };

    void Split();
    std::wstring Unquote(const std::wstring& raw) const;
    void AddArgument(std::wstring raw);
    void AddOption(const std::wstring& argument);
    Entry* FindOption(const std::wstring& name);

    std::uint32_t flags_;
    std::wstring commandLine_;
    std::string ansiCommandLine_;
    std::vector<Entry> entries_;
    std::vector<size_t> positional_;
    std::map<std::wstring, size_t, NameLess> options_;
};
