#pragma once
// Writes the uninstall parameter string that ParseUninstallParams reads: one
// operation per kind of item the installer records. The string begins with
// the shared-resources item; every other item appends a space and the
// double-quoted "-switch=value".
//
// Values are written as given: the steps record what they made, full paths
// and key paths. A value that cannot be written at all (empty, or holding the
// double quote that would end it early) raises UninstallParamsError rather
// than spoil the whole string, which the uninstaller would then refuse.
#include <string>
#include <string_view>

#include "UninstallParams.h"

class UninstallParamsWriter {
public:
    explicit UninstallParamsWriter(std::string& text) : text_(text) {}

    // -shareResWith=: the product whose resources the installation shares;
    // begins the string anew.
    void SharedResources(std::string_view product);
    // -delDir=, -delMainFile=, -delFile=, -delRegKey=: what the uninstaller removes.
    void Directory(std::string_view path) { Append(UninstallSwitch::DelDir, path); }
    void MainFile(std::string_view path) { Append(UninstallSwitch::DelMainFile, path); }
    void File(std::string_view path) { Append(UninstallSwitch::DelFile, path); }
    void RegistryKey(std::string_view keyPath) { Append(UninstallSwitch::DelRegKey, keyPath); }
    // -rstFileAssoc=: the extension pointed at the ProgID, to be given back.
    void FileAssociation(std::string_view extension, std::string_view progId);
    // -delPathEntry=: the directory added to the PATH value of an environment key.
    void SearchPathEntry(std::string_view environmentKey, std::string_view directory);
    // -delAutoexecPath=: the directory of the PATH line added to kAutoexecFile.
    void AutoexecPathEntry(std::string_view directory) { Append(UninstallSwitch::DelAutoexecPath, directory); }

private:
    void Append(UninstallSwitch kind, std::string_view value);
    // The two halves joined at a colon (SplitAtColon takes them apart).
    void AppendPair(UninstallSwitch kind, std::string_view first, std::string_view second);
    static std::string Item(UninstallSwitch kind, std::string_view value);

    std::string& text_;
};
