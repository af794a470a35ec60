#pragma once
// An earlier installation of the product: where it is, which version, and its
// removal (by running its uninstaller and waiting for the result) before this
// installation begins.
#include <string>

std::string ReadExistingInstallDir();
std::string ReadExistingVersion();
std::string ReadExistingUninstallString();

// "Install", "Upgrade" or "Replace" for the dialog's install button.
std::string InstallButtonCaption(const std::string& existingVersion);

// Returns when there was nothing to remove, the removal worked, or its failure
// was accepted; otherwise raises SilentExit 107. Before anything is removed,
// raises SilentExit 108 while a program holds a file of the earlier
// installation (interactive: after the user chose not to try again).
void RemoveExistingInstallation();

// Runs an uninstaller with the result protocol and returns its result. Raises
// AException when an uninstaller that handed the work on (exit code 1) gets no
// result reported within the limit.
unsigned long RunUninstallerAndWait(const std::string& commandLine);
// Starts a process and waits for it; returns its exit code.
unsigned long RunProcessAndWait(const std::string& commandLine, bool inheritHandles, bool detached);
