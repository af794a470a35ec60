#include "TemporaryCopy.h"

#include <windows.h>

#include <vector>

#include "uninstall_contract/ResultProtocol.h"
#include "ZeRizIva/CallResult.h"
#include "ZeRizIva/CmdLine.h"
#include "ZeRizIva/Text.h"
#include "ZeRizIva/UniqueHandle.h"
#include "didur/RandomNumber.h"

namespace {

constexpr int kNameAttempts = 10;

std::string TemporaryFolder()
{
    char buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer)
        return {};
    return std::string(buffer, length);
}

// Copies this program under a new name; never over an existing file.
bool CopyOwnFile(const std::string& own, const std::string& folder, std::string& copyPath, std::string& failure)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        copyPath = PathJoin(folder, "uninst-" + RandomNamePart() + ".exe");
        if (CopyFileA(own.c_str(), copyPath.c_str(), TRUE)) {
            // A read-only mark would come along and outlast the restart-time deletion.
            SetFileAttributesA(copyPath.c_str(), FILE_ATTRIBUTE_NORMAL);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            failure = SystemCallResult(L"CopyFile()", error).WindowsFailureText();
            return false;
        }
    }
    failure = "no unused temporary file name";
    return false;
}

// An inheritable duplicate of a standard handle, so that the copy writes
// where the original writes; null when there is none.
HANDLE InheritableStdHandle(DWORD which, UniqueKernelHandle& owner)
{
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), owner.put(), 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
        return nullptr;
    return owner.get();
}

} // namespace

std::string OwnFilePath()
{
    char buffer[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return {};
    return std::string(buffer, length);
}

bool StartTemporaryCopy(const UninstallerOptions& options, bool originalWaits, UniqueKernelHandle& copy,
                        std::string& failure)
{
    const std::string folder = TemporaryFolder();
    if (folder.empty()) {
        failure = SystemCallResult::LastError(L"GetTempPath()").WindowsFailureText();
        return false;
    }
    const std::string own = OwnFilePath();
    if (own.empty()) {
        failure = SystemCallResult::LastError(L"GetModuleFileName()").WindowsFailureText();
        return false;
    }
    std::string copyPath;
    if (!CopyOwnFile(own, folder, copyPath, failure))
        return false;

    UniqueKernelHandle self;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), self.put(),
                         SYNCHRONIZE | PROCESS_QUERY_INFORMATION, TRUE, 0)) {
        failure = SystemCallResult::LastError(L"DuplicateHandle()").WindowsFailureText();
        DeleteFileA(copyPath.c_str());
        return false;
    }
    const std::string commandLine =
        CopyCommandLine(copyPath, options, result_protocol::HandleValueText(reinterpret_cast<uintptr_t>(self.get())),
                        originalWaits ? own : "");
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    UniqueKernelHandle input, output, error;
    startup.hStdInput = InheritableStdHandle(STD_INPUT_HANDLE, input);
    startup.hStdOutput = InheritableStdHandle(STD_OUTPUT_HANDLE, output);
    startup.hStdError = InheritableStdHandle(STD_ERROR_HANDLE, error);
    if (startup.hStdOutput)
        startup.dwFlags = STARTF_USESTDHANDLES;

    // The copy works from the temporary folder: a current directory inside
    // the installation would keep that directory from being removed.
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(copyPath.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        failure = SystemCallResult::LastError(L"CreateProcess()").WindowsFailureText();
        DeleteFileA(copyPath.c_str());
        return false;
    }
    const UniqueKernelHandle thread(process.hThread);  // not needed: the copy runs on its own
    copy.reset(process.hProcess);
    return true;
}

UniqueKernelHandle OriginalProcess(const std::wstring& originalProcess)
{
    unsigned long long value = 0;
    DWORD exitCode = 0;
    // Only a process answers for its exit code: waiting on anything else
    // (the result event, say) could last for ever, and so would waiting on
    // this process itself (the pseudo-handle, all bits set).
    if (!result_protocol::ParseHandleValue(originalProcess, value) || value != static_cast<uintptr_t>(value) ||
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)) == GetCurrentProcess() ||
        !GetExitCodeProcess(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)), &exitCode))
        throw CmdLine::Err(L"-waitFor=" + originalProcess + L" is not a process handle.");
    return UniqueKernelHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)));
}
