#pragma once
// The uninstall parameter string the installer stores with its registration:
// double-quoted items "-switch=value" separated by spaces, each naming one
// thing the installation made, in the order they were made. Values stand as
// written (no escaping; they never contain a double quote).
//
//   "-shareResWith=Dravelo" "-delDir=C:\Program Files\Korvane Velantrix" ...
//
// The whole string is checked before anything is removed: a string that is
// not understood in every item removes nothing.
#include <string>
#include <string_view>
#include <vector>

#include "ZeRizIva/Exceptions.h"

// Named as the switches are written (windows.h macros take names like DeleteFile).
enum class UninstallSwitch {
    ShareResWith, // -shareResWith=  another product's name; nothing to remove
    DelDir,       // -delDir=        a directory, removed once it is empty
    DelMainFile,  // -delMainFile=   the main program
    DelFile,      // -delFile=       a file
    DelRegKey,    // -delRegKey=     a full key path (root name first)
    DelRegValue,  // -delRegValue=   a full key path, ':' and a value name (empty: the default value)
    RstFileAssoc, // -rstFileAssoc=  an extension, ':' and the ProgID it was given
    SchdlDelDir,  // -schdlDelDir=   a directory, removed at the next restart
    SchdlDelFile, // -schdlDelFile=  a file, deleted at the next restart
    DelPathEntry, // -delPathEntry=  an environment key's full path, ':' and the directory
                  //                 the installation added to that key's PATH
    DelAutoexecPath, // -delAutoexecPath= the directory whose "PATH=%PATH%;<directory>" line
                     //                   the installation added to kAutoexecFile
};

// Where the 95 family's search path is set, and how much of it is read.
inline constexpr char kAutoexecFile[] = "C:\\AUTOEXEC.BAT";
inline constexpr unsigned long kAutoexecReadLimit = 100000;

struct UninstallItem {
    UninstallSwitch kind;
    std::string value;

    bool operator==(const UninstallItem&) const = default;
};

class UninstallParamsError : public AException {
public:
    using AException::AException;
};

// Raises UninstallParamsError (the reason) for an empty string, text outside
// quotes, a quote left open, an unknown switch or a value of the wrong form.
std::vector<UninstallItem> ParseUninstallParams(std::string_view text);

// The switch's text with its '=', such as "-delDir=".
const char* SwitchName(UninstallSwitch kind);

// The two halves of a value at its first colon (-delRegValue=, -rstFileAssoc=,
// -delPathEntry=);
// the parser has made sure that there is one.
struct ColonPair {
    std::string first;
    std::string second;
};
ColonPair SplitAtColon(std::string_view value);

// A full key path such as "HKEY_LOCAL_MACHINE\SOFTWARE\Classes\.dvs":
// a root name, then one or more non-empty key names.
bool IsRegistryKeyPath(std::string_view path);
// A full file-system path: "X:\..." or "\\server\share\...".
bool IsFullPath(std::string_view path);
