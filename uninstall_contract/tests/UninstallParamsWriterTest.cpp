#include "uninstall_contract/UninstallParamsWriter.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Kind = UninstallSwitch;
using Items = std::vector<UninstallItem>;

// What an installation records, in its order: the product shared with
// Dravelo, the directory, the package files, the uninstaller, the start-menu
// folder and its shortcuts, the desktop shortcut, the association keys, the
// association to give back, the registration and the search path entry
// (recorded once it is made, after the registration). Paths hold spaces, a share
// and a double-byte name whose second byte is a backslash.
TEST(UninstallParamsWriter, WhatAWholeInstallationWritesParsesBackItemByItem)
{
    const std::string d = "C:\\Program Files\\Korvane Velantrix";
    const std::string menu = "\\\\server\\profiles\\Start Menu\\Programs\\Korvane Velantrix";
    const std::string desktop = "C:\\Documents and Settings\\\x83\\\\Desktop";
    const std::string classes = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\";
    const std::string registration = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                                     "Velantrix";
    const Items expected = {
        {Kind::ShareResWith, "Dravelo"},
        {Kind::DelDir, d},
        {Kind::DelMainFile, d + "\\velantrix.exe"},
        {Kind::DelFile, d + "\\vxcore.dll"},
        {Kind::DelFile, d + "\\uninst.exe"},
        {Kind::DelDir, menu},
        {Kind::DelFile, menu + "\\Velantrix.lnk"},
        {Kind::DelFile, desktop + "\\Velantrix.lnk"},
        {Kind::DelRegKey, classes + ".vxp"},
        {Kind::DelRegKey, classes + "Korvane.Velantrix.4.10.Profile\\Shell\\Open\\command"},
        {Kind::DelRegKey, classes + "Korvane.Velantrix.4.10.Profile"},
        {Kind::RstFileAssoc, ".dvs:Korvane.Velantrix.4.10.Settings"},
        {Kind::DelRegKey, registration},
        {Kind::DelPathEntry, "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment:" + d},
    };

    std::string text;
    UninstallParamsWriter writer(text);
    writer.SharedResources("Dravelo");
    writer.Directory(d);
    writer.MainFile(d + "\\velantrix.exe");
    writer.File(d + "\\vxcore.dll");
    writer.File(d + "\\uninst.exe");
    writer.Directory(menu);
    writer.File(menu + "\\Velantrix.lnk");
    writer.File(desktop + "\\Velantrix.lnk");
    writer.RegistryKey(classes + ".vxp");
    writer.RegistryKey(classes + "Korvane.Velantrix.4.10.Profile\\Shell\\Open\\command");
    writer.RegistryKey(classes + "Korvane.Velantrix.4.10.Profile");
    writer.FileAssociation(".dvs", "Korvane.Velantrix.4.10.Settings");
    writer.RegistryKey(registration);
    writer.SearchPathEntry("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", d);

    const std::string beginning = "\"-shareResWith=Dravelo\" \"-delDir=" + d + "\" ";
    EXPECT_EQ(text.substr(0, beginning.size()), beginning);
    EXPECT_EQ(ParseUninstallParams(text), expected);
}

// The writer's refusals: a value that would spoil the string is never
// appended, and what was written before stays readable.
TEST(UninstallParamsWriter, RefusesAValueItCannotWriteAndKeepsTheString)
{
    const std::vector<std::pair<std::function<void(UninstallParamsWriter&)>, const char*>> cases = {
        {[](UninstallParamsWriter& w) { w.File(""); }, "no value for -delFile="},
        {[](UninstallParamsWriter& w) { w.File("C:\\a\" \"-delDir=C:\\Windows"); },
         "a double quote in the value of -delFile=: 'C:\\a\" \"-delDir=C:\\Windows'"},
        {[](UninstallParamsWriter& w) { w.RegistryKey("HKEY_CURRENT_USER\\\"x\""); },
         "a double quote in the value of -delRegKey=: 'HKEY_CURRENT_USER\\\"x\"'"},
    };
    for (const auto& [write, reason] : cases) {
        std::string text;
        UninstallParamsWriter writer(text);
        writer.SharedResources("Dravelo");
        try {
            write(writer);
            ADD_FAILURE() << reason;
        } catch (const UninstallParamsError& error) {
            EXPECT_EQ(std::string(error.what()), reason);
        }
        EXPECT_EQ(ParseUninstallParams(text), (Items{{Kind::ShareResWith, "Dravelo"}})) << reason;
    }
}

// What the installer never writes the uninstaller never reads: a relative
// path, a drive root or a root key alone fails the whole string, so nothing
// at all is removed for it.
TEST(UninstallParamsWriter, TheParserRefusesAStringWithAnItemTheInstallerNeverWrites)
{
    const std::vector<std::function<void(UninstallParamsWriter&)>> strays = {
        [](UninstallParamsWriter& w) { w.Directory("Korvane Velantrix"); },
        [](UninstallParamsWriter& w) { w.File("C:\\"); },
        [](UninstallParamsWriter& w) { w.RegistryKey("HKEY_LOCAL_MACHINE"); },
        [](UninstallParamsWriter& w) { w.FileAssociation("dvs", "Korvane.Velantrix.4.10.Settings"); },
    };
    for (const auto& stray : strays) {
        std::string text;
        UninstallParamsWriter writer(text);
        writer.SharedResources("Dravelo");
        writer.Directory("C:\\Program Files\\Korvane Velantrix");
        stray(writer);
        EXPECT_THROW(ParseUninstallParams(text), UninstallParamsError) << text;
    }
}

} // namespace
