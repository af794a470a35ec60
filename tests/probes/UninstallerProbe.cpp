// Test program: stands in for an earlier installation's uninstaller, as the
// installer runs it. It appends its command line to "UninstallerProbe.log"
// beside itself, then behaves as its arguments say:
//   exit=N     exits with N
//   handoff=N  writes N into the section named by -result=, signals the event
//              named by -done= (both hexadecimal handle values) and exits with 1
//   silent     exits with 1, as a hand-over does, but nothing ever signals the
//              event: a copy that never reports
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* Find(const char* commandLine, const char* name)
{
    const char* found = std::strstr(commandLine, name);
    return found ? found + std::strlen(name) : nullptr;
}

void Log(const char* commandLine)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string log(path, length);
    log = log.substr(0, log.find_last_of('\\') + 1) + "UninstallerProbe.log";
    if (FILE* file = std::fopen(log.c_str(), "ab")) {
        std::fprintf(file, "%s\n", commandLine);
        std::fclose(file);
    }
}

} // namespace

int main()
{
    const char* commandLine = GetCommandLineA();
    Log(commandLine);
    if (const char* value = Find(commandLine, " exit="))
        return std::atoi(value);
    if (Find(commandLine, " silent "))
        return 1;
    if (const char* value = Find(commandLine, " handoff=")) {
        const std::int32_t result = std::atoi(value);
        const char* section = Find(commandLine, " -result=");
        const char* done = Find(commandLine, " -done=");
        if (!section || !done)
            return 99;
        const auto sectionHandle = reinterpret_cast<HANDLE>(std::strtoull(section, nullptr, 16));
        const auto doneHandle = reinterpret_cast<HANDLE>(std::strtoull(done, nullptr, 16));
        void* view = MapViewOfFile(sectionHandle, FILE_MAP_WRITE, 0, 0, sizeof result);
        if (!view)
            return 98;
        std::memcpy(view, &result, sizeof result);
        UnmapViewOfFile(view);
        SetEvent(doneHandle);
        return 1;
    }
    return 0;
}
