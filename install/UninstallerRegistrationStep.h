#pragma once
// Registers the product with the system's list of installed programs and stores
// the uninstall parameter string there: the uninstaller's only record of what
// this installation put on the machine.
#include <string>

#include "InstallStep.h"

class UninstallerRegistrationStep : public InstallStep {
public:
    // installedBytes: the size of the files the installation wrote.
    UninstallerRegistrationStep(const std::string& keyName, const std::string& displayName,
                                const std::string& version, unsigned long long installedBytes);
    ~UninstallerRegistrationStep();

    // Stores the uninstall parameter string again, with what was recorded
    // after the registration (the search path entry). A failure keeps the
    // string stored before: the search path is a convenience.
    void StoreUninstallParams() noexcept;

private:
    void Unregister();

    std::string subkey_;
    bool registered_ = false;
    bool keyCreated_ = false;  // the key was not there before: rollback may remove it
};
