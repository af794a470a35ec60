#include "Uninstallation.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "Registration.h"
#include "install/ListedRemoval.h"
#include "ResultChannel.h"
#include "TemporaryCopy.h"
#include "uninstall_contract/UninstallResult.h"
#include "UninstallerCommandLine.h"
#include "uninstall_contract/ResultReceiver.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/CmdLine.h"
#include "install/RebootRemoval.h"
#include "install/RunLock.h"
#include "install/RunLog.h"
#include "install/RunJournal.h"
#include "ui/MessageBox.h"

namespace {

using namespace uninstall_result;

constexpr char kTitle[] = "Velantrix Uninstaller";
constexpr size_t kListedInBox = 10;

// The first sentences of a list, one a line, for a message box.
std::string BoxList(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size() && i < kListedInBox; ++i)
        text += "\n" + lines[i];
    if (lines.size() > kListedInBox)
        text += "\n... and " + std::to_string(lines.size() - kListedInBox) + " more";
    return text;
}

class Uninstallation {
public:
    int Run(const std::wstring& commandLine)
    {
        int result = kPartialFailure;
        try {
            result = Start(commandLine);
        } catch (const std::exception& error) {
            Tell(std::string("Uninstallation failed: ") + error.what(), MB_ICONERROR);
        } catch (...) {
            Tell("Uninstallation failed: unrecognized exception", MB_ICONERROR);
        }
        // The caller waits for the result, not for the person reading the box.
        Report(result);
        if (!box_.empty())
            ShowMessageBox(box_, kTitle, boxIcon_ | MB_SETFOREGROUND);
        CloseRunLog(result, NameOf(result, kNamedResults));
        return result;
    }

private:
    int Start(const std::wstring& commandLine)
    {
        try {
            ReadUninstallerOptions(commandLine, options_);
        } catch (const CmdLine::Err& error) {
            return BadCommandLine(error.what());
        }
        if (!options_.logFile.empty()) {
            const std::string failure = OpenRunLog(options_.logFile, "uninstaller", !options_.unattended);
            if (!failure.empty())
                return BadCommandLine("cannot open the log file '" + options_.logFile + "': " + failure);
        }
        isCopy_ = !options_.originalProcess.empty();
        if (!options_.resultSection.empty()) {
            try {
                channel_.emplace(options_.resultSection, options_.doneEvent);
            } catch (const ResultChannel::Err& error) {
                return BadCommandLine(error.what());
            }
        }
        if (isCopy_) {
            try {
                original_ = OriginalProcess(options_.originalProcess);
            } catch (const CmdLine::Err& error) {
                return BadCommandLine(error.what());
            }
            // Nothing else removes the copy; the next restart does.
            ScheduleRemovalOnReboot(OwnFilePath());
            // An original that waits for the result ends only after it; then
            // only its own file and folder wait for it (Remove).
            if (options_.originalFile.empty())
                WaitForSingleObject(original_.get(), INFINITE);
        }

        // Started by a person or a deployment tool: one installation or
        // removal at a time. An installer that runs it holds the lock, and a
        // copy works within its original's run.
        std::optional<SetupLock> lock;
        if (!isCopy_ && !channel_) {
            lock = AwaitSetupLock(!options_.unattended, kTitle);
            if (!lock)
                return kAnotherRunInProgress;
        }

        // What an installation killed midway made goes first, as its record
        // says; that may have been all there was.
        const bool undone = lock && FinishInterruptedRun();
        Registration registration;
        try {
            registration = LoadRegistration(options_.keyName);
        } catch (const RegistrationError& error) {
            if (undone) {
                Tell("The interrupted installation has been undone", MB_ICONINFORMATION);
                return kSuccess;
            }
            Tell(std::string("Loading uninstallation information failed: ") + error.what(), MB_ICONERROR);
            return kLoadFailed;
        }
        if (!isCopy_) {
            if (!options_.unattended && !Confirm(registration.displayName)) {
                WriteLine("Uninstallation canceled by user");
                return kCancelled;
            }
            std::string failure;
            if (const std::optional<int> result = HandOver(failure))
                return *result;
            // Then this file is in use: it is left to the next restart.
            WriteLine("Starting a temporary copy of the uninstaller failed: " + failure + "; uninstalling in place");
        }
        return Remove(registration);
    }

    // Hands the work to a temporary copy. Given the caller's channel, the copy
    // reports there and this process ends at once. Otherwise this process
    // waits for the copy's result and ends with it, so that whoever started
    // it learns the outcome from its exit code once the removal is done.
    // Nothing when no copy started (failure says why).
    std::optional<int> HandOver(std::string& failure)
    {
        UniqueKernelHandle copy;
        if (channel_)
            return StartTemporaryCopy(options_, false, copy, failure) ? std::optional<int>(kHandedOver)
                                                                      : std::nullopt;
        std::optional<ResultReceiver> own;
        try {
            own.emplace();
        } catch (const InstallError& error) {
            failure = error.what();
            return std::nullopt;
        }
        UninstallerOptions copyOptions = options_;
        copyOptions.resultSection = AnsiToWide(own->SectionText());
        copyOptions.doneEvent = AnsiToWide(own->EventText());
        if (!StartTemporaryCopy(copyOptions, true, copy, failure))
            return std::nullopt;
        if (const std::optional<std::int32_t> result = own->Await(copy.get(), INFINITE))
            return *result;
        Tell("The temporary copy of the uninstaller ended without reporting a result", MB_ICONERROR);
        return kNoResult;
    }

    int Remove(const Registration& registration)
    {
        // While the original waits for the result, its own file and the
        // folders holding it are still in use.
        ListedRemoval removal(registration.items, options_.originalFile);
        const std::string& name = registration.displayName;
        const int result = removal.RemoveAllButHeld().failed.empty() ? kSuccess : kPartialFailure;
        WriteLine(result == kSuccess ? name + " has been removed" : "Uninstallation failed partially or completely");
        // An original that gets no result learns so when this copy has ended;
        // what it holds is then scheduled for the next restart.
        if (!options_.originalFile.empty() && Report(result))
            WaitForSingleObject(original_.get(), INFINITE);
        const RemovalReport& report = removal.RemoveHeld();
        if (!report.failed.empty()) {
            Box("Uninstallation of " + name + " failed partially or completely.\n\nNot removed:" +
                    BoxList(report.failed),
                MB_ICONERROR);
            return result;
        }
        std::string box = name + " has been removed from your computer.";
        if (!report.scheduled.empty())
            box += "\n\nSome of its items are in use; they will be removed when Windows restarts.";
        if (!report.kept.empty())
            box += "\n\nLeft in place:" + BoxList(report.kept);
        Box(box, MB_ICONINFORMATION);
        return result;
    }

    // In the copy: the result into the channel it was given, once. False when
    // there is none or the result could not be handed over.
    bool Report(int result)
    {
        if (!isCopy_ || !channel_)
            return false;
        const bool reported = channel_->Report(result);
        channel_.reset();
        return reported;
    }

    bool Confirm(const std::string& displayName) const
    {
        return ShowMessageBox("Are you sure you want to remove " + displayName + " and all of its components?",
                              kTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
    }

    int BadCommandLine(const std::string& reason)
    {
        Tell("Invalid command line: " + reason,
             "Invalid command line: " + reason + "\n\nUsage: uninst.exe <registration key name> [-unat]",
             MB_ICONERROR);
        return kBadCommandLine;
    }

    // The run's final message box, in interactive mode.
    void Box(const std::string& text, UINT icon)
    {
        if (!options_.unattended) {
            box_ = text;
            boxIcon_ = icon;
        }
    }
    // A line now, and the final box.
    void Tell(const std::string& line, const std::string& box, UINT icon)
    {
        WriteLine(line);
        Box(box, icon);
    }
    void Tell(const std::string& text, UINT icon) { Tell(text, text, icon); }

    UninstallerOptions options_;
    std::optional<ResultChannel> channel_;
    bool isCopy_ = false;
    UniqueKernelHandle original_;  // in the copy
    std::string box_;
    UINT boxIcon_ = 0;
};

} // namespace

int RunUninstaller(const std::wstring& commandLine) { return Uninstallation().Run(commandLine); }
