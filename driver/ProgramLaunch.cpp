#include "ProgramLaunch.h"

#include <windows.h>

#include <string>

#include "install/InstallParams.h"
#include "ZeRizIva/UniqueHandle.h"

void LaunchInstalledProgram()
{
    std::string commandLine = "\"" + Params().mainProgramPath + "\"";
    if (commandLine.size() > MAX_PATH)
        commandLine.resize(MAX_PATH);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        const UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    }
}
