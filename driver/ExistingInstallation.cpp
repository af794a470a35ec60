#include "ExistingInstallation.h"
#include "FilesInUse.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "product/Product.h"
#include "didur/RandomNumber.h"
#include "uninstall_contract/ResultProtocol.h"
#include "uninstall_contract/ResultReceiver.h"
#include "ZeRizIva/CallResult.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/FaultInjection.h"
#include "ZeRizIva/Text.h"
#include "ZeRizIva/UniqueHandle.h"
#include "install/InstallParams.h"
#include "install/InstallerRegistry.h"
#include "install/RebootRemoval.h"
#include "install/ShellFolders.h"
#include "package/ExtractResourceToFile.h"
#include "ui/MessageBox.h"
#include "install/ExitCodes.h"

namespace {

// Releases of the uninstaller before this one cannot be run as registered.
constexpr char kFirstRunnableVersion[] = "4.07";
constexpr int kTemporaryNameRetries = 10;
// How long an uninstaller's copy may take to report, once the uninstaller has
// handed the work to it: a copy that never reports must not keep the
// installation waiting for ever.
constexpr unsigned long kResultWaitSeconds = 120;

std::string RegistrationKey() { return std::string(product::kUninstallKeyParent) + "\\" + product::kShortName; }

// Any failure of the read (no key, no value, another type) gives the fallback.
template <typename Fallback>
std::string ReadRegistration(const char* valueName, Fallback fallback)
{
    try {
        return ReadRegistryString(HKEY_LOCAL_MACHINE, RegistrationKey(), valueName);
    } catch (const std::exception&) {
        return fallback();
    }
}

std::string Nothing() { return {}; }

// Writes the embedded uninstaller to the temporary folder under a name nobody
// can predict, as a file that did not exist before (so nobody can have
// prepared it), trying other names while that fails.
std::string CopyEmbeddedUninstaller()
{
    char buffer[265];
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer)
        throw AException("Getting temporary path failed: " +
                         SystemCallResult::LastError(L"GetTemporaryPath()").WindowsFailureText());
    const std::string temp(buffer, length);
    for (int retry = 0;; ++retry) {
        const std::string name = "uninst" + RandomNamePart() + ".exe";
        const std::string path = PathJoin(temp, name);
        try {
            ExtractResourceToFile(path, resource::kUninstaller, ExistingFile::Refuse);
            ScheduleRemovalOnReboot(path);
            return path;
        } catch (const std::exception& error) {
            if (retry == kTemporaryNameRetries)
                throw AException(std::string("Copying uninstaller to temporary path failed: ") + error.what());
        }
    }
}

std::string RunRemoval(const std::string& version, const std::string& command)
{
    try {
        std::string commandLine = command;
        if (CompareVersionTexts(version, kFirstRunnableVersion) < 0)
            commandLine = "\"" + CopyEmbeddedUninstaller() + "\" " + product::kShortName;
        WriteLine("");
        const unsigned long result = RunUninstallerAndWait(commandLine);
        WriteLine("");
        if (result == uninstall_result::kSuccess)
            return {};
        std::string text = "Uninstaller failed with error code " + std::to_string(result);
        if (result == uninstall_result::kLoadFailed)
            text += ": Loading uninstallation information failed";
        else if (result == uninstall_result::kPartialFailure)
            text += ": Uninstallation failed partally or completely";
        return text;
    } catch (const InstallError& error) {
        return std::string("Launching uninstaller failed: ") + error.what();
    } catch (const std::exception& error) {
        return error.what();
    }
}

// Ends the run (108) while a file of the earlier installation is in use:
// unattended at once, interactive when the user stops asking to try again.
void RequireEarlierFilesFree(const std::string& version)
{
    for (;;) {
        const std::vector<std::string> held = FilesInUse(ReadRegistration("UninstallParam", Nothing));
        if (held.empty())
            return;
        const std::string programs = ProgramsHolding(held.front());
        const std::string inUse = "File '" + held.front() + "' of the installed Velantrix " + version + " is in use" +
                                  (programs.empty() ? std::string() : " by " + programs);
        if (!Params().interactive) {
            WriteLine(inUse + "; close the program that uses it and run the installation again, aborting");
            throw SilentExit(exit_code::kFilesInUse);
        }
        if (ShowMessageBox(inUse + ".\n\nClose the program that uses it, then press Retry, or press Cancel to stop.",
                           "File In Use", MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY) {
            WriteLine("Installation canceled by user (file in use)");
            throw SilentExit(exit_code::kFilesInUse);
        }
    }
}

} // namespace

std::string ReadExistingInstallDir()
{
    return ReadRegistration("InstallDir", [] { return PathJoin(GetProgramFilesFolder(), product::kFullName); });
}

std::string ReadExistingVersion() { return ReadRegistration("Version", Nothing); }

std::string ReadExistingUninstallString() { return ReadRegistration("UninstallString", Nothing); }

std::string InstallButtonCaption(const std::string& existingVersion)
{
    if (existingVersion.empty())
        return "Install";
    return CompareVersionTexts(existingVersion, product::kVersion) < 0 ? "Upgrade" : "Replace";
}

void RemoveExistingInstallation()
{
    const std::string version = ReadExistingVersion();
    const std::string command = ReadExistingUninstallString();
    if (version.empty() || command.empty())
        return;
    // Nothing goes while a program runs from the earlier installation.
    RequireEarlierFilesFree(version);
    WriteLine("Uninstalling the existing Velantrix " + version + " installation");

    std::string failure = RunRemoval(version, command);
    if (failure.empty())
        return;
    if (failure.back() == '.')
        failure.pop_back();

    const InstallParams& params = Params();
    if (params.interactive) {
        WriteLine("Warning: " + failure);
        if (ShowMessageBox(failure + ".\nDo you want to continue with the installation anyway?",
                           "Uninstallation failure", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
            return;
        WriteLine("Installation canceled by user (uninstallation failure)");
        throw SilentExit(exit_code::kEarlierInstallationKept);
    }
    if (params.force) {
        WriteLine("Warning: " + failure);
        return;
    }
    WriteLine(failure + " (use /Force flag to override uninstallation failure); aborting");
    throw SilentExit(exit_code::kEarlierInstallationKept);
}

unsigned long RunUninstallerAndWait(const std::string& commandLine)
{
    const ResultReceiver receiver;
    unsigned long result = RunProcessAndWait(commandLine + receiver.CallerArguments(), true, false);
    if (result == uninstall_result::kHandedOver) {
        // The uninstaller handed the work to a copy of itself, which reports here.
        const unsigned long seconds = InjectedLimit("VELANTRIX_UNINSTALLER_WAIT_SECONDS", kResultWaitSeconds);
        const std::optional<std::int32_t> reported = receiver.Await(nullptr, seconds * 1000);
        if (!reported)
            throw AException("Uninstaller did not report its result within " + std::to_string(seconds) + " seconds");
        result = static_cast<unsigned long>(*reported);
    }
    return result;
}

unsigned long RunProcessAndWait(const std::string& commandLine, bool inheritHandles, bool detached)
{
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, inheritHandles, detached ? DETACHED_PROCESS : 0,
                        nullptr, nullptr, &startup, &process))
        RaiseLastError(L"CreateProcess()");
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    WaitForSingleObject(processHandle.get(), INFINITE);
    DWORD code = 0;
    if (!GetExitCodeProcess(processHandle.get(), &code) || code == STILL_ACTIVE) {
        TerminateProcess(processHandle.get(), 0);
        code = STILL_ACTIVE;
    }
    return code;
}
