#include "InstallSequence.h"

#include <windows.h>
#include <shlobj.h>

#include <array>
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
#include "install/FileSystem.h"
#include "install/InstallStep.h"
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

ShortcutParams MainProgramShortcut(const std::string& folder)
{
    const InstallParams& params = Params();
    return {folder, "Velantrix.lnk", params.mainProgramPath, "", params.installDir, ProductDescription(), "", 0};
}

// The start-menu shortcuts, in the order they are made.
std::array<ShortcutParams, 5> MenuShortcuts(const std::string& menu)
{
    const InstallParams& params = Params();
    const std::string& directory = params.installDir;
    const std::string manager = PathJoin(directory, product::kSettingsManagerFile);
    return {{
        MainProgramShortcut(menu),
        {menu, "Proxy Settings.lnk", manager, "-proxy", directory,
         "Korvane Global Proxy Settings - manages your SOCKS or HTTP proxy settings for establishing outgoing SSH "
         "connections.",
         "", 0},
        {menu, "Host Key Manager.lnk", manager, "-hostkeys", directory,
         "Korvane Global Host Key Management - manages the list of SSH server host keys that you trust.", "", 1},
        {menu, "Keypair Manager.lnk", manager, "-keypairs", directory,
         "Korvane Global Keypair Management - manages your SSH user authentication keypairs.", "", 2},
        {menu, "Uninstall Velantrix.lnk", params.uninstallerPath, product::kShortName, directory,
         "Uninstall " + std::string(product::kFullName) + " " + product::kVersion + ".", "", 0},
    }};
}

// The file associations, in the order they are made.
std::array<FileAssociation, 2> FileAssociations()
{
    const std::string& directory = Params().installDir;
    const std::string progIdPrefix = std::string("Korvane.Velantrix.") + product::kVersion;
    return {{
        {progIdPrefix + ".Profile",
         ".vxp",
         "Korvane Velantrix profile file",
         PathJoin(directory, "velantrix.exe,68"),
         {{"Open", "\"" + PathJoin(directory, "Velantrix.exe\" -profile=\"%1\"")},
          {"Connect", "\"" + PathJoin(directory, "Velantrix.exe\" -profile=\"%1\" -connectOnStartup")}}},
        {progIdPrefix + ".Settings",
         ".dvs",
         "Korvane Dravelo settings file",
         PathJoin(directory, "dravcfg.exe,3"),
         {{"Manage", "\"" + PathJoin(directory, "Dravcfg.exe\" \"%1\"")}}},
    }};
}

} // namespace

bool InstallProduct(const RunChoices& choices)
{
    InstallParams& params = Params();
    const std::string& directory = params.installDir;
    const std::string version = product::kVersion;

    // Made first, so that it goes last: after every step has been undone.
    Transaction transaction;
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
    const auto [mainLink, proxyLink, hostKeyLink, keypairLink, uninstallLink] = MenuShortcuts(menu);
    ShortcutStep mainShortcut(mainLink);
    ShortcutStep proxyShortcut(proxyLink);
    ShortcutStep hostKeyShortcut(hostKeyLink);
    ShortcutStep keypairShortcut(keypairLink);
    ShortcutStep uninstallShortcut(uninstallLink);
    // Optional: an empty holder at its place in the order when left out.
    std::unique_ptr<ShortcutStep> desktopShortcut;
    if (choices.desktopIcon) {
        const std::string desktop = choices.allUsers ? GetCommonDesktopFolder() : GetDesktopFolder();
        desktopShortcut = std::make_unique<ShortcutStep>(MainProgramShortcut(desktop));
    }
    const auto [profileAssociation, settingsAssociation] = FileAssociations();
    FileAssociationStep profiles(profileAssociation);
    FileAssociationStep settings(settingsAssociation);
    // The settings files' extension is Dravelo's too: given back, never deleted.
    UninstallRecord().FileAssociation(settingsAssociation.extension, settingsAssociation.progId);
    UninstallerRegistrationStep registration(product::kShortName,
                                             std::string(product::kFullName) + " " + version + " (remove only)",
                                             version, packageFiles.WrittenBytes() + FileSize(uninstallerFile.Path()));

    UpdatePathEnvironment(directory, choices.allUsers);
    registration.StoreUninstallParams();  // with the search path entry
    SHChangeNotify(SHCNE_ASSOCCHANGED, 0, nullptr, nullptr);
    if (InjectedFailure("SHChangeNotify"))
        throw InstallError("Notifying the shell failed (injected failure)");

    transaction.Commit();
    return packageFiles.RestartNeeded();
}
