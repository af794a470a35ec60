#include "RegistryRemoval.h"

#include <windows.h>

#include <vector>

#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/RegKey.h"
#include "install/RegistryCleanup.h"

namespace {

constexpr char kClasses[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes";

} // namespace

ItemOutcome DeleteListedKey(const std::string& keyPath)
{
    try {
        std::vector<std::string> subkeys;
        RegKey(keyPath).EnumSubkeyNames(subkeys);
        RegKey(keyPath).DeleteKey();
        if (!subkeys.empty())
            return {ItemOutcome::Kept, "Registry key " + keyPath +
                                           " has subkeys that were not installed with it; only its values were deleted"};
        return RemovedOutcome();
    } catch (const RegException& error) {
        if (error.Code() == ERROR_FILE_NOT_FOUND)
            return RemovedOutcome();
        return {ItemOutcome::Failed, "Deleting registry key " + keyPath + " failed: " + error.what()};
    }
}

ItemOutcome DeleteListedValue(const std::string& keyPath, const std::string& valueName)
{
    const std::string failure = DeleteValueOf(keyPath, valueName);
    if (failure.empty())
        return RemovedOutcome();
    return {ItemOutcome::Failed, "Deleting registry value '" + valueName + "' of " + keyPath + " failed: " + failure};
}

std::string ClassesKeyPath(const std::string& name) { return std::string(kClasses) + "\\" + name; }

ItemOutcome GiveBackFileAssociation(const std::string& extension, const std::string& progId)
{
    // The installation did not record what the extension named before.
    const ExtensionGiveBack result = GiveBackExtension(ClassesKeyPath(extension), progId, "");
    switch (result.outcome) {
    case ExtensionGiveBack::GivenBack:
        return RemovedOutcome();
    case ExtensionGiveBack::TakenByOthers:
        return {ItemOutcome::Kept, "Extension " + extension + " is no longer associated with " + progId +
                                       "; its association was left as it is"};
    case ExtensionGiveBack::Failed:
        break;
    }
    return {ItemOutcome::Failed, "Removing the file association of " + extension + " failed: " + result.failure};
}
