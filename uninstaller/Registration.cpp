#include "Registration.h"

#include <windows.h>

#include "ZeRizIva/RegKey.h"
#include "product/Product.h"

Registration LoadRegistration(const std::string& keyName)
{
    const std::string subkey = std::string(product::kUninstallKeyParent) + "\\" + keyName;
    const std::string where = " of HKEY_LOCAL_MACHINE\\" + subkey;
    std::string params;
    try {
        params = RegKey(HKEY_LOCAL_MACHINE, subkey).ReadString("UninstallParam", true);
    } catch (const RegException& error) {
        throw RegistrationError("reading \"UninstallParam\"" + where + " failed: " + error.what());
    }

    Registration registration;
    try {
        registration.items = ParseUninstallParams(params);
    } catch (const UninstallParamsError& error) {
        throw RegistrationError(std::string("\"UninstallParam\"") + where + ": " + error.what());
    }
    RegKey(HKEY_LOCAL_MACHINE, subkey).TryReadString("DisplayName", registration.displayName, true);
    if (registration.displayName.empty())
        registration.displayName = keyName;
    return registration;
}
