#pragma once
// The installer's exit codes, one table for every part of the run; README's
// table of exit codes mirrors it. (A failed assertion ends the thread with
// 34821, ZeRizIva/Assert.) Three codes mean different things in the two
// modes, as the directory step has always reported them.
#include "ZeRizIva/NamedCode.h"

namespace exit_code {

inline constexpr int kInstalled = 0;
inline constexpr int kDamagedInstaller = 90;
// Unattended: the target path exists and is not a directory. Interactive:
// creating a directory failed.
inline constexpr int kDirectoryConflict = 101;
// Unattended: creating a directory failed.
inline constexpr int kDirectoryNotCreated = 102;
// Unattended: the directory must be empty and is not. Interactive: the target
// path exists and is not a directory, or the user refused a directory that is
// not empty.
inline constexpr int kDirectoryRefused = 103;
// A file to be written exists and may not be replaced.
inline constexpr int kFileExists = 104;
inline constexpr int kShortcutFailed = 105;
// The earlier installation could not be removed, and the user or the missing
// -force stopped.
inline constexpr int kEarlierInstallationKept = 107;
// A program holds a file of the earlier installation: nothing was removed or
// installed.
inline constexpr int kFilesInUse = 108;
inline constexpr int kFileAssociationFailed = 112;
// The uninstaller could not be registered, and the user or the missing -force
// stopped.
inline constexpr int kRegistrationFailed = 113;
inline constexpr int kSystemTooOld = 130;
// Unattended without -acceptEULA.
inline constexpr int kAgreementNotAccepted = 140;
// An installation error or an unexpected exception.
inline constexpr int kInstallationError = 150;
// The usage text was asked for.
inline constexpr int kHelp = 200;
// A command-line error; the usage text follows the error.
inline constexpr int kCommandLineError = 201;
// The user closed or cancelled the installer dialog.
inline constexpr int kDialogCancelled = 202;
// Another installation or removal of the product ran all the time this run
// waited for it; nothing was changed. Windows Installer's
// ERROR_INSTALL_ALREADY_RUNNING, which deployment tools already treat as
// "another installation is in progress, retry later".
inline constexpr int kAnotherRunInProgress = 1618;
// Installed, but a file of the earlier installation was still in use: the new
// one replaces it when Windows restarts. Windows Installer's
// ERROR_SUCCESS_REBOOT_REQUIRED, which deployment tools read as success with
// a restart to come.
inline constexpr int kRestartNeeded = 3010;

// Each code with its name, for the log's closing line.
inline constexpr NamedCode kNamedExitCodes[] = {
    {kInstalled, "kInstalled"},
    {kDamagedInstaller, "kDamagedInstaller"},
    {kDirectoryConflict, "kDirectoryConflict"},
    {kDirectoryNotCreated, "kDirectoryNotCreated"},
    {kDirectoryRefused, "kDirectoryRefused"},
    {kFileExists, "kFileExists"},
    {kShortcutFailed, "kShortcutFailed"},
    {kEarlierInstallationKept, "kEarlierInstallationKept"},
    {kFilesInUse, "kFilesInUse"},
    {kFileAssociationFailed, "kFileAssociationFailed"},
    {kRegistrationFailed, "kRegistrationFailed"},
    {kSystemTooOld, "kSystemTooOld"},
    {kAgreementNotAccepted, "kAgreementNotAccepted"},
    {kInstallationError, "kInstallationError"},
    {kHelp, "kHelp"},
    {kCommandLineError, "kCommandLineError"},
    {kDialogCancelled, "kDialogCancelled"},
    {kAnotherRunInProgress, "kAnotherRunInProgress"},
    {kRestartNeeded, "kRestartNeeded"},
};

} // namespace exit_code
