#include "ShortcutStep.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "ItemRemoval.h"
#include "RebootRemoval.h"
#include "RunJournal.h"
#include "ZeRizIva/CallResult.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/FaultInjection.h"
#include "ZeRizIva/Text.h"
#include "ZeRizIva/UniqueHandle.h"
#include "install/Prompt.h"
#include "install/ExitCodes.h"

namespace {

// COM for the length of one shortcut, released on every path.
class ComApartment {
public:
    ComApartment()
    {
        result_.Set(L"CoInitializeEx()", CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    ~ComApartment()
    {
        if (result_.succeeded())
            CoUninitialize();
    }

private:
    ComCallResult result_;
};

void Check(const wchar_t* call, HRESULT hr)
{
    ComCallResult result;
    result.Set(call, hr);
    if (result.failed())
        throw ComException(result);
}

// Writes the link; on failure says why. Every setter's result counts: a link
// missing its target or icon is a failed shortcut as much as an unsaved one.
bool SaveLink(const ShortcutParams& params, const std::string& linkPath, std::string& reason)
{
    try {
        ComPtr<IShellLinkA> link;
        Check(L"CoCreateInstance()",
              CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid()));
        Check(L"IShellLink::SetPath()",
              InjectedFailure("IShellLink::SetPath") ? E_ACCESSDENIED : link->SetPath(params.target.c_str()));
        if (!params.arguments.empty())
            Check(L"IShellLink::SetArguments()", link->SetArguments(params.arguments.c_str()));
        if (!params.workingDirectory.empty())
            Check(L"IShellLink::SetWorkingDirectory()", link->SetWorkingDirectory(params.workingDirectory.c_str()));
        if (!params.description.empty())
            Check(L"IShellLink::SetDescription()", link->SetDescription(params.description.c_str()));
        Check(L"IShellLink::SetIconLocation()",
              link->SetIconLocation(params.iconPath.empty() ? params.target.c_str() : params.iconPath.c_str(),
                                    params.iconIndex));
        ComPtr<IPersistFile> file;
        Check(L"IShellLink::QueryInterface()", link->QueryInterface(IID_IPersistFile, file.putVoid()));
        const HRESULT saved =
            InjectedFailure("IPersistFile::Save") ? E_ACCESSDENIED : file->Save(AnsiToWide(linkPath).c_str(), TRUE);
        if (FAILED(saved)) {
            reason = "IPersistFile::Save() failed";
            return false;
        }
        return true;
    } catch (const ComException& error) {
        reason = error.what();
        if (!reason.empty() && reason.back() == '.')
            reason.pop_back();
        return false;
    }
}

} // namespace

ShortcutStep::ShortcutStep(const ShortcutParams& params)
{
    std::string reason;
    if (params.folder.empty()) {
        linkPath_ = params.linkName;  // named in the messages only
        reason = "the folder it belongs in is unknown";
    } else {
        linkPath_ = PathJoin(params.folder, params.linkName);
        WriteLine("Creating shortcut " + linkPath_);
        RunJournal::File(linkPath_);
        bool saved;
        {
            ComApartment com;
            saved = SaveLink(params, linkPath_, reason);
        }
        if (saved) {
            UninstallRecord().File(linkPath_);
            created_ = true;
            CancelScheduledRemoval(linkPath_);
            return;
        }
    }
    Ask(Question{
        "Creating Shortcut Failed",
        "Warning: creating shortcut '" + linkPath_ + "' failed.\nReason: " + reason +
            ".\nDo you want to continue with the installation anyway?",
        false,
        "Warning: creating shortcut '" + linkPath_ + "' failed: " + reason,
        "Creating shortcut '" + linkPath_ + "' failed: " + reason + ", aborting",
        "creating shortcut failed",
        exit_code::kShortcutFailed,
    });
}

ShortcutStep::~ShortcutStep()
{
    if (RollbackWanted() && created_)
        RemoveOrScheduleOnReboot(linkPath_, kShortcutRemoval, DeleteFileA);
}
