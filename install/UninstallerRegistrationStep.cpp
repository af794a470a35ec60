#include "UninstallerRegistrationStep.h"

#include <windows.h>

#include "InstallerRegistry.h"
#include "uninstall_contract/ResultProtocol.h"
#include "RunJournal.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/WinErrorMessage.h"
#include "product/Product.h"
#include "install/Prompt.h"
#include "install/ExitCodes.h"

namespace {

// Whole KiBs, rounded up, as the list of installed programs shows sizes.
DWORD SizeInKiB(unsigned long long bytes)
{
    const unsigned long long kib = bytes / 1024 + (bytes % 1024 != 0);
    return kib > MAXDWORD ? MAXDWORD : static_cast<DWORD>(kib);
}

} // namespace

UninstallerRegistrationStep::UninstallerRegistrationStep(const std::string& keyName, const std::string& displayName,
                                                         const std::string& version,
                                                         unsigned long long installedBytes)
    : subkey_(std::string(product::kUninstallKeyParent) + "\\" + keyName)
{
    InstallParams& params = Params();
    // Clears a registration left by an earlier installation (when it has no subkeys).
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey_.c_str());
    keyCreated_ = !RegistryKeyExists(HKEY_LOCAL_MACHINE, subkey_);
    RunJournal::RegistryKey("HKEY_LOCAL_MACHINE\\" + subkey_);
    WriteLine("Registering uninstaller");
    try {
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "DisplayName", displayName);
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "DisplayIcon", params.uninstallerPath);
        const std::string uninstallString = "\"" + params.uninstallerPath + "\" " + keyName + " ";
        UninstallRecord().RegistryKey("HKEY_LOCAL_MACHINE\\" + subkey_);
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "UninstallString", uninstallString);
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "UninstallParam", params.uninstallParams);
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "InstallDir", params.installDir);
        // The same under the name inventory tools read.
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "InstallLocation", params.installDir);
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "Version", version);
        // What deployment tools read to find the product and remove it silently.
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "DisplayVersion", version);
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "Publisher", product::kPublisher);
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "QuietUninstallString",
                            uninstallString + result_protocol::Switch(result_protocol::kUnattended, false));
        WriteRegistryDword(HKEY_LOCAL_MACHINE, subkey_, "EstimatedSize", SizeInKiB(installedBytes));
        WriteRegistryDword(HKEY_LOCAL_MACHINE, subkey_, "NoModify", 1);
        WriteRegistryDword(HKEY_LOCAL_MACHINE, subkey_, "NoRepair", 1);
        registered_ = true;
    } catch (const std::exception& error) {
        // With -force what was written stays; a registration that ends the run
        // goes with the rest, since it would point at an uninstaller that the
        // rollback deletes.
        const std::string reason = error.what();
        try {
            Ask(Question{
                "Uninstaller Registration Failed",
                "Warning: uninstaller registration failed.\nReason: " + reason +
                    "\nDo you want to continue with the installation anyway?",
                false,
                "Warning: uninstaller registration failed: " + reason,
                "Uninstaller registration failed: " + reason + ", aborting",
                "uninstaller registration failed",
                exit_code::kRegistrationFailed,
            });
        } catch (...) {
            // This step never finishes, so its destructor will not run.
            if (RollbackWanted() && keyCreated_)
                Unregister();
            throw;
        }
    }
}

void UninstallerRegistrationStep::StoreUninstallParams() noexcept
{
    if (!registered_)
        return;
    try {
        WriteRegistryString(HKEY_LOCAL_MACHINE, subkey_, "UninstallParam", Params().uninstallParams);
    } catch (...) {
    }
}

UninstallerRegistrationStep::~UninstallerRegistrationStep()
{
    if (RollbackWanted() && (registered_ || keyCreated_))
        Unregister();
}

void UninstallerRegistrationStep::Unregister()
{
    try {
        WriteLine("Rollback: unregistering uninstaller");
        const LONG code = RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey_.c_str());
        if (code == ERROR_SUCCESS)
            WriteLogLine("Rollback: uninstaller unregistered");
        if (code != ERROR_SUCCESS) {
            const std::string reason = WindowsErrorText(static_cast<unsigned long>(code));
            WriteLine("Uninstaller unregistration failed: " + reason);
            NotifyRollbackFailure("Uninstaller Unregistration Failed",
                                  "Unable to unregister previously registered uninstaller.\nReason: " + reason);
        }
    } catch (...) {
        // An undo never stops the rollback.
    }
}
