#include "Uninstallation.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "Registration.h"
#include "Removal.h"
#include "ResultChannel.h"
#include "TemporaryCopy.h"
#include "uninstall_contract/UninstallResult.h"
#include "UninstallerCommandLine.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/CmdLine.h"
#include "install/RebootRemoval.h"
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
        if (isCopy_ && channel_)
            channel_->Report(result);
        if (!box_.empty())
            ShowMessageBox(box_, kTitle, boxIcon_ | MB_SETFOREGROUND);
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
                WaitForOriginal(options_.originalProcess);
            } catch (const CmdLine::Err& error) {
                return BadCommandLine(error.what());
            }
            // Nothing else removes the copy; the next restart does.
            ScheduleRemovalOnReboot(OwnFilePath());
        }

        Registration registration;
        try {
            registration = LoadRegistration(options_.keyName);
        } catch (const RegistrationError& error) {
            Tell(std::string("Loading uninstallation information failed: ") + error.what(), MB_ICONERROR);
            return kLoadFailed;
        }
        if (!isCopy_) {
            if (!options_.unattended && !Confirm(registration.displayName)) {
                WriteLine("Uninstallation canceled by user");
                return kCancelled;
            }
            std::string failure;
            if (StartTemporaryCopy(options_, failure))
                return kHandedOver;
            // Then this file is in use: it is left to the next restart.
            WriteLine("Starting a temporary copy of the uninstaller failed: " + failure + "; uninstalling in place");
        }
        return Remove(registration);
    }

    int Remove(const Registration& registration)
    {
        const RemovalReport report = RemoveListedItems(registration.items);
        const std::string& name = registration.displayName;
        if (!report.failed.empty()) {
            Tell("Uninstallation failed partially or completely",
                 "Uninstallation of " + name + " failed partially or completely.\n\nNot removed:" +
                     BoxList(report.failed),
                 MB_ICONERROR);
            return kPartialFailure;
        }
        std::string box = name + " has been removed from your computer.";
        if (!report.scheduled.empty())
            box += "\n\nSome of its items are in use; they will be removed when Windows restarts.";
        if (!report.kept.empty())
            box += "\n\nLeft in place:" + BoxList(report.kept);
        Tell(name + " has been removed", box, MB_ICONINFORMATION);
        return kSuccess;
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

    // A line now; in interactive mode also the run's final message box.
    void Tell(const std::string& line, const std::string& box, UINT icon)
    {
        WriteLine(line);
        if (!options_.unattended) {
            box_ = box;
            boxIcon_ = icon;
        }
    }
    void Tell(const std::string& text, UINT icon) { Tell(text, text, icon); }

    UninstallerOptions options_;
    std::optional<ResultChannel> channel_;
    bool isCopy_ = false;
    std::string box_;
    UINT boxIcon_ = 0;
};

} // namespace

int RunUninstaller(const std::wstring& commandLine) { return Uninstallation().Run(commandLine); }
