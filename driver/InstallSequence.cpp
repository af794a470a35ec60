#include "InstallSequence.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "install/InstallParams.h"
#include "PathEnvironment.h"
#include "product/Product.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/FaultInjection.h"
#include "ZeRizIva/Text.h"
#include "install/DirectoryStep.h"
#include "install/FileAssociationStep.h"
#include "install/ShortcutStep.h"
#include "install/ShellFolders.h"
#include "install/UninstallerRegistrationStep.h"
#include "package/FileStep.h"
#include "package/WriteFilesFromLzmaStream.h"

namespace {

std::string ProductDescription()
{
    return std::string(product::kFullName) + " " + product::kVersion +
           " - a general-purpose SSH client: supports tunneling (manual and via integrated proxy), SFTP file "
           "transfer, bridging of FTP clients to SFTP, remote console access and remote administration of Dravelo.";
}

ShortcutParams SettingsManagerShortcut(const std::string& menu, const char* link, const char* argument,
                                       const char* description, int iconIndex)
{
    const std::string& directory = Params().installDir;
    return {menu, link, PathJoin(directory, product::kSettingsManagerFile), argument, directory, description, "",
            iconIndex};
}

FileAssociation ProfileAssociation()
{
    const std::string& directory = Params().installDir;
    return {std::string("Korvane.Velantrix.") + product::kVersion + ".Profile",
            ".vxp",
            "Korvane Velantrix profile file",
            PathJoin(directory, "velantrix.exe,68"),
            {{"Open", "\"" + PathJoin(directory, "Velantrix.exe\" -profile=\"%1\"")},
             {"Connect", "\"" + PathJoin(directory, "Velantrix.exe\" -profile=\"%1\" -connectOnStartup")}}};
}

FileAssociation SettingsAssociation()
{
    const std::string& directory = Params().installDir;
    return {std::string("Korvane.Velantrix.") + product::kVersion + ".Settings",
            ".dvs",
            "Korvane Dravelo settings file",
            PathJoin(directory, "dravcfg.exe,3"),
            {{"Manage", "\"" + PathJoin(directory, "Dravcfg.exe\" \"%1\"")}}};
}

} // namespace

void InstallProduct(const RunChoices& choices)
{
    InstallParams& params = Params();
    const std::string& directory = params.installDir;
    const std::string version = product::kVersion;

    DirectoryStep installDirectory(directory, false);
    WriteFilesFromLzmaStream packageFiles;
    packageFiles.Extract(resource::kPackage, directory);
    FileStep uninstallerFile(resource::kUninstaller, "");

    // An unknown programs folder leaves the menu folder out; its shortcuts
    // then fail as their own steps.
    const std::string programs = choices.allUsers ? GetCommonProgramsFolder() : GetProgramsFolder();
    const std::string menu = programs.empty() ? std::string() : PathJoin(programs, product::kFullName);
    std::unique_ptr<DirectoryStep> startMenu;
    if (!menu.empty())
        startMenu = std::make_unique<DirectoryStep>(menu, false);
    ShortcutStep mainShortcut({menu, "Velantrix.lnk", params.mainProgramPath, "", directory, ProductDescription(), "", 0});
    ShortcutStep proxyShortcut(SettingsManagerShortcut(
        menu, "Proxy Settings.lnk", "-proxy",
        "Korvane Global Proxy Settings - manages your SOCKS or HTTP proxy settings for establishing outgoing SSH "
        "connections.",
        0));
    ShortcutStep hostKeyShortcut(SettingsManagerShortcut(
        menu, "Host Key Manager.lnk", "-hostkeys",
        "Korvane Global Host Key Management - manages the list of SSH server host keys that you trust.", 1));
    ShortcutStep keypairShortcut(SettingsManagerShortcut(
        menu, "Keypair Manager.lnk", "-keypairs",
        "Korvane Global Keypair Management - manages your SSH user authentication keypairs.", 2));
    ShortcutStep uninstallShortcut({menu, "Uninstall Velantrix.lnk", params.uninstallerPath, product::kShortName,
                                    directory, "Uninstall " + std::string(product::kFullName) + " " + version + ".",
                                    "", 0});
    // Optional: an empty holder at its place in the order when left out.
    std::unique_ptr<ShortcutStep> desktopShortcut;
    if (choices.desktopIcon) {
        const std::string desktop = choices.allUsers ? GetCommonDesktopFolder() : GetDesktopFolder();
        desktopShortcut = std::make_unique<ShortcutStep>(
            ShortcutParams{desktop, "Velantrix.lnk", params.mainProgramPath, "", directory, ProductDescription(), "", 0});
    }
    FileAssociationStep profiles(ProfileAssociation());
    FileAssociationStep settings(SettingsAssociation());
    UninstallRecord().FileAssociation(".dvs", "Korvane.Velantrix." + version + ".Settings");
    UninstallerRegistrationStep registration(product::kShortName,
                                             std::string(product::kFullName) + " " + version + " (remove only)",
                                             version);

    UpdatePathEnvironment(directory, choices.allUsers);
    if (InjectedFailure("UpdatePathEnvironment"))
        throw InstallError("Updating the search path failed (injected failure)");
    SHChangeNotify(SHCNE_ASSOCCHANGED, 0, nullptr, nullptr);
    if (InjectedFailure("SHChangeNotify"))
        throw InstallError("Notifying the shell failed (injected failure)");

    CommitSteps(installDirectory, packageFiles, uninstallerFile, startMenu, mainShortcut, proxyShortcut,
                hostKeyShortcut, keypairShortcut, uninstallShortcut, desktopShortcut, profiles, settings, registration);
}
