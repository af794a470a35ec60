#include "uninstall_contract/UninstallParams.h"

#include <gtest/gtest.h>

namespace {

using Kind = UninstallSwitch;
using Items = std::vector<UninstallItem>;

struct GoodCase {
    const char* text;
    Items items;
    const char* why;
};

class ParsesUninstallParams : public testing::TestWithParam<GoodCase> {};

TEST_P(ParsesUninstallParams, IntoItemsInOrder)
{
    const GoodCase& c = GetParam();
    EXPECT_EQ(ParseUninstallParams(c.text), c.items) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParsesUninstallParams,
    testing::Values(
        GoodCase{R"("-shareResWith=Dravelo" "-delDir=C:\Program Files\Korvane Velantrix")",
                 {{Kind::ShareResWith, "Dravelo"}, {Kind::DelDir, "C:\\Program Files\\Korvane Velantrix"}},
                 "the installer's first two items; a value may hold spaces"},
        GoodCase{R"("-delMainFile=C:\V\Velantrix.exe" "-delFile=C:\V\uninst.exe")",
                 {{Kind::DelMainFile, "C:\\V\\Velantrix.exe"}, {Kind::DelFile, "C:\\V\\uninst.exe"}},
                 "main file and file"},
        GoodCase{R"("-delRegKey=HKEY_LOCAL_MACHINE\SOFTWARE\Classes\.dvs" "-rstFileAssoc=.dvs:Korvane.Velantrix.4.10.Settings")",
                 {{Kind::DelRegKey, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.dvs"},
                  {Kind::RstFileAssoc, ".dvs:Korvane.Velantrix.4.10.Settings"}},
                 "key and association"},
        GoodCase{R"("-delRegValue=HKEY_LOCAL_MACHINE\SOFTWARE\X\SharedDLLs:C:\V\vxcore.dll")",
                 {{Kind::DelRegValue, "HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\SharedDLLs:C:\\V\\vxcore.dll"}},
                 "the first colon ends the key: value names may hold colons and backslashes"},
        GoodCase{R"("-delRegValue=hkey_current_user\Software\X:")",
                 {{Kind::DelRegValue, "hkey_current_user\\Software\\X:"}},
                 "an empty value name is the default value; root names in any case"},
        GoodCase{R"("-schdlDelDir=\\server\share\d" "-schdlDelFile=C:\d\f")",
                 {{Kind::SchdlDelDir, "\\\\server\\share\\d"}, {Kind::SchdlDelFile, "C:\\d\\f"}},
                 "restart-time items; a share path is a full path"},
        GoodCase{R"("-delPathEntry=HKEY_CURRENT_USER\Environment:C:\Tools\Velantrix" "-delAutoexecPath=C:\TOOLS\VELANT~1")",
                 {{Kind::DelPathEntry, "HKEY_CURRENT_USER\\Environment:C:\\Tools\\Velantrix"},
                  {Kind::DelAutoexecPath, "C:\\TOOLS\\VELANT~1"}},
                 "the search path entries: the first colon ends the key, the directory holds the next"},
        GoodCase{R"(  "-delFile=C:\a"   "-delFile=C:\b"  )",
                 {{Kind::DelFile, "C:\\a"}, {Kind::DelFile, "C:\\b"}},
                 "spaces around and between items"},
        GoodCase{"\"-delFile=C:\\\x83\\\"", {{Kind::DelFile, "C:\\\x83\\"}},
                 "bytes above 127 stand as they are"}));

struct BadCase {
    const char* text;
    const char* reason;
    const char* why;
};

class RefusesUninstallParams : public testing::TestWithParam<BadCase> {};

TEST_P(RefusesUninstallParams, WithItsReason)
{
    const BadCase& c = GetParam();
    try {
        ParseUninstallParams(c.text);
        ADD_FAILURE() << c.why;
    } catch (const UninstallParamsError& error) {
        EXPECT_EQ(std::string(error.what()), c.reason) << c.why;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusesUninstallParams,
    testing::Values(
        BadCase{"", "the uninstall parameters are empty", "nothing at all"},
        BadCase{"   ", "the uninstall parameters are empty", "spaces only"},
        BadCase{R"("-delFile=C:\a)", "quote left open at position 1", "the last quote missing"},
        BadCase{R"("-delFile=C:\a" "-delFile=C:\b)", "quote left open at position 17", "a later quote left open"},
        BadCase{R"(-delFile=C:\a)", "text outside quotes at position 1", "no quotes"},
        BadCase{R"("-delFile=C:\a"x)", "no space between items at position 16", "text after the closing quote"},
        BadCase{R"("-delFile=C:\a""-delFile=C:\b")", "no space between items at position 16", "items run together"},
        BadCase{R"("-delTree=C:\")", "unknown switch -delTree= at position 1", "a switch nobody knows"},
        BadCase{R"("-delfile=C:\a")", "unknown switch -delfile= at position 1", "switch names are exact"},
        BadCase{R"("delFile=C:\a")", "not a switch: \"delFile=C:\\a\" at position 1", "no leading dash"},
        BadCase{R"("-unat")", "not a switch: \"-unat\" at position 1", "no equals sign"},
        BadCase{R"("")", "not a switch: \"\" at position 1", "an empty item"},
        BadCase{R"("-delFile=")", "no value for -delFile= at position 1", "an empty value"},
        BadCase{R"("-delFile=a.txt")", "not a full path: 'a.txt' in -delFile= at position 1",
                "a relative path would depend on the current directory"},
        BadCase{R"("-delDir=\Program Files")", "not a full path: '\\Program Files' in -delDir= at position 1",
                "no drive"},
        BadCase{R"("-delFile=C:\*.*")", "not a full path: 'C:\\*.*' in -delFile= at position 1", "wildcards"},
        BadCase{R"("-delFile=\\?\C:\a")", "not a full path: '\\\\?\\C:\\a' in -delFile= at position 1",
                "the long-path form"},
        BadCase{R"("-delFile=\\.\PhysicalDrive0")",
                "not a full path: '\\\\.\\PhysicalDrive0' in -delFile= at position 1", "a device"},
        BadCase{R"("-delFile=C:\")", "not a full path: 'C:\\' in -delFile= at position 1", "a drive root"},
        BadCase{R"("-delRegKey=HKEY_LOCAL_MACHINE")",
                "not a registry key path: 'HKEY_LOCAL_MACHINE' in -delRegKey= at position 1", "a root key alone"},
        BadCase{R"("-delRegKey=HKEY_LOCAL_MACHINE\")",
                "not a registry key path: 'HKEY_LOCAL_MACHINE\\' in -delRegKey= at position 1",
                "a trailing backslash would name the root"},
        BadCase{R"("-delRegKey=HKEY_LOCAL_MACHINE\SOFTWARE\\X")",
                "not a registry key path: 'HKEY_LOCAL_MACHINE\\SOFTWARE\\\\X' in -delRegKey= at position 1",
                "an empty key name inside"},
        BadCase{R"("-delRegKey=HKLM\SOFTWARE\X")",
                "not a registry key path: 'HKLM\\SOFTWARE\\X' in -delRegKey= at position 1", "no abbreviations"},
        BadCase{R"("-delRegValue=HKEY_LOCAL_MACHINE\SOFTWARE\X")",
                "not a registry key path, a colon and a value name: 'HKEY_LOCAL_MACHINE\\SOFTWARE\\X' in "
                "-delRegValue= at position 1",
                "no colon"},
        BadCase{R"("-delPathEntry=C:\Tools")",
                "not a registry key path, a colon and a full path: 'C:\\Tools' in -delPathEntry= at position 1",
                "no key: the drive's colon is the first"},
        BadCase{R"("-delPathEntry=HKEY_CURRENT_USER\Environment:Tools")",
                "not a registry key path, a colon and a full path: 'HKEY_CURRENT_USER\\Environment:Tools' in "
                "-delPathEntry= at position 1",
                "a relative directory would match entries nobody meant"},
        BadCase{R"("-delAutoexecPath=VELANT~1")",
                "not a full path: 'VELANT~1' in -delAutoexecPath= at position 1", "a relative directory"},
        BadCase{R"("-rstFileAssoc=.dvs")",
                "not an extension, a colon and a ProgID: '.dvs' in -rstFileAssoc= at position 1", "no ProgID"},
        BadCase{R"("-rstFileAssoc=dvs:P")",
                "not an extension, a colon and a ProgID: 'dvs:P' in -rstFileAssoc= at position 1", "no dot"},
        BadCase{R"("-rstFileAssoc=.dvs:")",
                "not an extension, a colon and a ProgID: '.dvs:' in -rstFileAssoc= at position 1",
                "an empty ProgID"},
        BadCase{R"("-rstFileAssoc=.d\s:P")",
                "not an extension, a colon and a ProgID: '.d\\s:P' in -rstFileAssoc= at position 1",
                "an extension is one key name"}));

TEST(UninstallParams, SplitAtTheFirstColon)
{
    EXPECT_EQ(SplitAtColon(".dvs:Korvane.Velantrix.4.10.Settings").first, ".dvs");
    EXPECT_EQ(SplitAtColon(".dvs:Korvane.Velantrix.4.10.Settings").second, "Korvane.Velantrix.4.10.Settings");
    EXPECT_EQ(SplitAtColon("HKEY_USERS\\x:C:\\a").second, "C:\\a");
}

TEST(UninstallParams, TheInstallersWholeStringParses)
{
    const std::string d = "C:\\Program Files\\Korvane Velantrix";
    const std::string text = "\"-shareResWith=Dravelo\" \"-delDir=" + d + "\" \"-delMainFile=" + d +
                             "\\Velantrix.exe\" \"-delFile=" + d + "\\uninst.exe\" \"-rstFileAssoc=.dvs:P\" "
                             "\"-delRegKey=HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                             "Uninstall\\Velantrix\"";
    const Items items = ParseUninstallParams(text);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items.back().kind, Kind::DelRegKey);
}

} // namespace
