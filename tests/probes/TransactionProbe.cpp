// Test program: runs the installer's real install steps in an order given on
// the command line, inside the real top-level handler, so rollback, prompts and
// restart-time removal can be watched end to end.
// Usage: TransactionProbe [-i] [-force] [-noRollback] [main=<path>] action...
//   dir=<path>       a directory step (need not be empty)
//   emptydir=<path>  a directory step that must be empty
//   file=<path>      the package step writing one small file: switch, overwrite
//                    confirmation, creation, restart-time cancellation
//   hold=<path>      opens the file without sharing until the process ends
//   fail             raises an installation error
//   schedule=<path>  prints ScheduleRemovalOnReboot's result and last error
//   cancel=<path>    prints CancelScheduledRemoval's result
//   rename=<from>,<to>  schedules a rename at the next restart (as other programs do)
//   association=<ext>,<progid>  a file association step with one verb "Open"
// When every action succeeded the uninstall parameter string is printed and
// the steps are committed.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ZeRizIva/AllocationFailure.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/StructuredException.h"
#include "install/InstallParams.h"
#include "driver/TopLevel.h"
#include "install/DirectoryStep.h"
#include "install/FileAssociationStep.h"
#include "install/InstallStep.h"
#include "install/RebootRemoval.h"
#include "package/WriteFilesFromLzmaStream.h"

namespace {

struct AnyStep {
    virtual ~AnyStep() = default;
    virtual void Commit() = 0;
};
template <typename Step>
struct Holder : AnyStep {
    template <typename... Args>
    explicit Holder(Args&&... args) : step(std::forward<Args>(args)...) {}
    void Commit() override { step.Keep(); }
    Step step;
};

// Destroys the steps newest first, as the driver's locals are.
struct StepStack {
    std::vector<std::unique_ptr<AnyStep>> steps;
    ~StepStack()
    {
        while (!steps.empty())
            steps.pop_back();
    }
};

bool Take(const char* argument, const char* name, std::string& value)
{
    const size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0)
        return false;
    value = argument + length;
    return true;
}

int Run(int argc, char** argv)
{
    StepStack stack;
    auto& steps = stack.steps;
    InstallParams& params = Params();
    params.uninstallParams = "\"-shareResWith=Dravelo\"";
    std::string value;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "-i"))
            params.interactive = true;
        else if (!std::strcmp(arg, "-force"))
            params.force = true;
        else if (!std::strcmp(arg, "-noRollback"))
            params.noRollback = true;
        else if (Take(arg, "main=", value))
            params.mainProgramPath = value;
        else if (Take(arg, "dir=", value))
            steps.push_back(std::make_unique<Holder<DirectoryStep>>(value, false));
        else if (Take(arg, "emptydir=", value))
            steps.push_back(std::make_unique<Holder<DirectoryStep>>(value, true));
        else if (Take(arg, "file=", value)) {
            // On the stack first, as the driver's package step is made before
            // it writes: a failure undoes what it created.
            auto holder = std::make_unique<Holder<WriteFilesFromLzmaStream>>();
            PackageFiles& files = holder->step;
            steps.push_back(std::move(holder));
            files.Open(value);
            files.Write(reinterpret_cast<const unsigned char*>("probe"), 5);
            files.Close();
        }
        else if (Take(arg, "hold=", value))
            CreateFileA(value.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);  // held until exit
        else if (!std::strcmp(arg, "fail"))
            throw InstallError("probe failure");
        else if (Take(arg, "schedule=", value)) {
            const bool ok = ScheduleRemovalOnReboot(value);
            const DWORD error = GetLastError();
            WriteLine(std::string("schedule ") + (ok ? "true" : "false") + " " + std::to_string(error));
        } else if (Take(arg, "rename=", value)) {
            const size_t comma = value.find(',');
            MoveFileExA(value.substr(0, comma).c_str(), value.substr(comma + 1).c_str(), MOVEFILE_DELAY_UNTIL_REBOOT);
        } else if (Take(arg, "association=", value)) {
            const size_t comma = value.find(',');
            const std::string progId = value.substr(comma + 1);
            steps.push_back(std::make_unique<Holder<FileAssociationStep>>(FileAssociation{
                progId, value.substr(0, comma), progId + " file", "C:\\icon.exe,1", {{"Open", "open \"%1\""}}}));
        } else if (Take(arg, "cancel=", value))
            WriteLine(std::string("cancel ") + (CancelScheduledRemoval(value) ? "true" : "false"));
        else
            throw InstallError(std::string("unknown probe action ") + arg);
    }
    WriteLine(params.uninstallParams);
    for (auto& step : steps)
        step->Commit();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    InstallAllocationFailureHandler();
    InstallStructuredExceptionTranslator();
    return RunWithTopLevelHandler([argc, argv] { return Run(argc, argv); });
}
