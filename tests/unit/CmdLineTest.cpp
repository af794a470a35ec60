#include "ZeRizIva/CmdLine.h"

#include <gtest/gtest.h>

#include "install/InstallParams.h"
#include "driver/InstallerOptions.h"

namespace {

constexpr unsigned kInstallerFlags = CmdLine::BackslashEscapes | CmdLine::DoubledQuotes | CmdLine::SlashOptions;

std::vector<std::wstring> Positionals(const CmdLine& cmd)
{
    std::vector<std::wstring> result;
    for (size_t i = 0; i < cmd.PositionalCount(); ++i)
        result.push_back(cmd.Positional(i));
    return result;
}

std::string CheckAllUsedMessage(const CmdLine& cmd)
{
    try {
        cmd.CheckAllUsed(false);
    } catch (const CmdLine::Err& e) {
        return e.what();
    }
    return "";
}

// How one raw command line splits into positional arguments.
struct SplitCase {
    const wchar_t* commandLine;
    std::vector<std::wstring> positionals;
    const char* why;
};

class Splitting : public testing::TestWithParam<SplitCase> {};

TEST_P(Splitting, GivesThePositionalArguments)
{
    const SplitCase& c = GetParam();
    CmdLine cmd(std::wstring(c.commandLine), kInstallerFlags);
    EXPECT_EQ(Positionals(cmd), c.positionals) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Splitting,
    testing::Values(
        SplitCase{L"prog", {L"prog"}, "the program path alone"},
        SplitCase{L"\"C:\\Program Files\\i.exe\" a", {L"C:\\Program Files\\i.exe", L"a"}, "quotes group spaces"},
        SplitCase{L"p  a\tb\r\nc", {L"p", L"a", L"b", L"c"}, "tabs, CR and LF separate like spaces"},
        SplitCase{L"p \"a b", {L"p", L"a b"}, "an open quote swallows the rest of the line"},
        SplitCase{L"p \"a \\\" b\"", {L"p", L"a \" b"}, "backslash-quote is a literal quote inside quotes"},
        SplitCase{L"p a\\\\b", {L"p", L"a\\b"}, "two backslashes give one anywhere"},
        SplitCase{L"p \\\\\\\\srv\\share", {L"p", L"\\\\srv\\share"}, "four backslashes give two"},
        SplitCase{L"p \"\"\"\"", {L"p", L"\"\""}, "each two quotes in a row give one"},
        SplitCase{L"p \"\"", {L"p", L"\""}, "so an empty quoted pair is one literal quote"},
        SplitCase{L"p \"\"\"", {L"p", L"\""}, "the third quote is dropped"},
        SplitCase{L"p - /", {L"p", L"-", L"/"}, "a lone dash or slash is positional"},
        SplitCase{L"p a\"b c\"d", {L"p", L"ab cd"}, "quotes inside a word disappear"}));

TEST(CmdLine, OptionsHaveNamesAndValues)
{
    CmdLine cmd(std::wstring(L"p -installDir=\"C:\\A B\" /Force -x="), kInstallerFlags);
    std::wstring value;
    EXPECT_TRUE(cmd.GetOptionValue(L"INSTALLDIR", value));
    EXPECT_EQ(value, L"C:\\A B");
    EXPECT_TRUE(cmd.HasSwitch(L"force")) << "slash and any letter case";
    EXPECT_FALSE(cmd.HasSwitch(L"x")) << "an option written with = is not a switch";
    EXPECT_TRUE(cmd.GetOptionValue(L"x", value));
    EXPECT_EQ(value, L"");
    EXPECT_FALSE(cmd.GetOptionValue(L"force", value)) << "a switch has no value";
}

TEST(CmdLine, QuotedWholeArgumentEqualsQuotedValue)
{
    std::wstring a, b;
    CmdLine one(std::wstring(L"p -installDir=\"C:\\Program Files\\K V\""), kInstallerFlags);
    CmdLine two(std::wstring(L"p \"-installDir=C:\\Program Files\\K V\""), kInstallerFlags);
    ASSERT_TRUE(one.GetOptionValue(L"installDir", a));
    ASSERT_TRUE(two.GetOptionValue(L"installDir", b));
    EXPECT_EQ(a, L"C:\\Program Files\\K V");
    EXPECT_EQ(a, b);
}

TEST(CmdLine, TheLastOccurrenceWinsAndKeepsTheFirstSpelling)
{
    CmdLine cmd(std::wstring(L"p -installDir=a -INSTALLDIR=b -Bogus -bogus=1"), kInstallerFlags);
    std::wstring value;
    EXPECT_TRUE(cmd.GetOptionValue(L"installdir", value));
    EXPECT_EQ(value, L"b");
    EXPECT_EQ(CheckAllUsedMessage(cmd), "Invalid command parameter: -Bogus=1.");
}

TEST(CmdLine, CaseSensitiveNamesTellCaseApart)
{
    CmdLine cmd(std::wstring(L"p -Force"), CmdLine::CaseSensitiveNames);
    EXPECT_FALSE(cmd.HasSwitch(L"force"));
    EXPECT_TRUE(cmd.HasSwitch(L"Force"));
}

TEST(CmdLine, WithoutBackslashEscapesBackslashesStay)
{
    CmdLine cmd(std::wstring(L"p a\\\\b \"c\\\"d"), CmdLine::DoubledQuotes);
    EXPECT_EQ(Positionals(cmd), (std::vector<std::wstring>{L"p", L"a\\\\b", L"c\\d"}));
}

TEST(CmdLine, QueriesMarkOnlyWhenAsked)
{
    CmdLine cmd(std::wstring(L"p -a -b=1"), kInstallerFlags);
    std::wstring value;
    EXPECT_TRUE(cmd.HasSwitch(L"a", false));
    EXPECT_TRUE(cmd.GetOptionValue(L"b", value, false));
    EXPECT_EQ(CheckAllUsedMessage(cmd), "Invalid command parameter: -a.\nInvalid command parameter: -b=1.");
    cmd.HasSwitch(L"a");
    cmd.GetOptionValue(L"b", value);
    EXPECT_EQ(CheckAllUsedMessage(cmd), "");
}

TEST(CmdLine, CheckAllUsedListsPositionalsFirstThenOptionsByName)
{
    CmdLine cmd(std::wstring(L"p -zeta one -Alpha two"), kInstallerFlags);
    EXPECT_EQ(CheckAllUsedMessage(cmd),
              "Invalid command option: one.\nInvalid command option: two.\n"
              "Invalid command parameter: -Alpha.\nInvalid command parameter: -zeta.");
    try {
        cmd.CheckAllUsed(true);
        FAIL();
    } catch (const CmdLine::Err& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Invalid command option: p.\n", 0), 0u);
    }
}

TEST(CmdLine, ATakenPositionalIsConsumed)
{
    CmdLine cmd(std::wstring(L"p Velantrix extra"), 0);
    EXPECT_EQ(cmd.TakePositional(1), L"Velantrix");
    EXPECT_EQ(CheckAllUsedMessage(cmd), "Invalid command option: extra.");
}

TEST(CmdLine, WipeCommandLineClearsTheGivenText)
{
    wchar_t text[] = L"p -secret=pw";
    {
        CmdLine cmd(text, CmdLine::WipeCommandLine);
        for (wchar_t c : text)
            EXPECT_EQ(c, L'\0');
        std::wstring value;
        EXPECT_TRUE(cmd.GetOptionValue(L"secret", value));
        EXPECT_EQ(value, L"pw");
    }
}

// The installer's own options on top of the parser.
struct OptionsCase {
    const wchar_t* commandLine;
    bool interactive;
    int silentExit;             // 0: none
    const char* error;          // CmdLine::Err text, or "" for none
    const char* installDir;
    const char* why;
};

class InstallerOptions : public testing::TestWithParam<OptionsCase> {};

TEST_P(InstallerOptions, ReadTheCommandLine)
{
    const OptionsCase& c = GetParam();
    Params() = InstallParams{};
    CmdLine cmd(std::wstring(c.commandLine), InstallerCmdLineFlags());
    EXPECT_EQ(IsInteractiveCommandLine(cmd), c.interactive) << c.why;
    if (c.interactive)
        return;
    int exitCode = 0;
    std::string error;
    try {
        ParseInstallerOptions(cmd);
    } catch (const SilentExit& e) {
        exitCode = e.ExitCode();
    } catch (const CmdLine::Err& e) {
        error = e.what();
    }
    EXPECT_EQ(exitCode, c.silentExit) << c.why;
    EXPECT_EQ(error, c.error) << c.why;
    EXPECT_EQ(Params().installDir, c.installDir) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, InstallerOptions,
    testing::Values(
        OptionsCase{L"inst.exe", true, 0, "", "", "the program path alone is interactive"},
        OptionsCase{L"inst.exe -log=run.log", true, 0, "", "", "a log alone keeps the dialog"},
        OptionsCase{L"inst.exe -log=run.log -installDir=d", false, 0, "", "d", "a log beside unattended options"},
        OptionsCase{L"inst.exe word", false, 0, "Missing '-installDir' parameter.", "",
                    "a plain word makes it unattended; the directory is missed first"},
        OptionsCase{L"inst.exe -installDir", false, 0, "Missing '-installDir' parameter.", "", "no ="},
        OptionsCase{L"inst.exe -installDir=", false, 0, "Missing '-installDir' parameter.", "", "= and nothing"},
        OptionsCase{L"inst.exe -installDir=a -installDir=b", false, 0, "", "b", "the last value wins"},
        OptionsCase{L"inst.exe -installDir=\\\\srv\\share", false, 0, "", "\\srv\\share",
                    "two leading backslashes arrive as one"},
        OptionsCase{L"inst.exe /? -bogus -installDir", false, 200, "", "", "help before anything else"},
        OptionsCase{L"inst.exe -H", false, 200, "", "", "-h in any case"},
        OptionsCase{L"inst.exe /help", false, 200, "", "", "/help"},
        OptionsCase{L"inst.exe -?=1 -installDir=d", false, 0, "", "d", "-? with a value is not a help switch"}));

TEST(InstallerOptions, LogFile)
{
    CmdLine none(std::wstring(L"i -installDir=d"), InstallerCmdLineFlags());
    EXPECT_EQ(ReadLogFile(none), "");
    CmdLine named(std::wstring(L"i \"-log=C:\\Run Logs\\v.log\""), InstallerCmdLineFlags());
    EXPECT_EQ(ReadLogFile(named), "C:\\Run Logs\\v.log");
    EXPECT_EQ(CheckAllUsedMessage(named), "") << "read, so no unknown parameter";
    CmdLine empty(std::wstring(L"i -log="), InstallerCmdLineFlags());
    EXPECT_THROW(ReadLogFile(empty), CmdLine::Err);
}

TEST(InstallerOptions, SwitchesAreReadAndMarked)
{
    Params() = InstallParams{};
    CmdLine cmd(std::wstring(L"i -installDir=d -acceptEULA /Force -NOROLLBACK -force=yes -bogus"), InstallerCmdLineFlags());
    ParseInstallerOptions(cmd);
    EXPECT_TRUE(Params().acceptEULA);
    EXPECT_FALSE(Params().force) << "the last -force has a value, so it is no switch";
    EXPECT_TRUE(Params().noRollback);
    EXPECT_EQ(CheckAllUsedMessage(cmd), "Invalid command parameter: -bogus.\nInvalid command parameter: -Force=yes.");
}

} // namespace
