#pragma once
// The registration an installation left under the system's uninstall key
// (HKEY_LOCAL_MACHINE, "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
// and the key name): its display name and the list of what it installed
// ("UninstallParam").
#include <string>
#include <vector>

#include "uninstall_contract/UninstallParams.h"
#include "ZeRizIva/Exceptions.h"

struct Registration {
    std::string displayName;  // the key name when there is none
    std::vector<UninstallItem> items;
};

class RegistrationError : public AException {
public:
    using AException::AException;
};

// Raises RegistrationError when there is no registration, no or an empty
// "UninstallParam", or a parameter string that is not understood.
Registration LoadRegistration(const std::string& keyName);
