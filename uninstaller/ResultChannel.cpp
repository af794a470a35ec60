#include "ResultChannel.h"

#include <cstring>

#include "UninstallerCommandLine.h"
#include "uninstall_contract/ResultProtocol.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/FaultInjection.h"
#include "ZeRizIva/WinErrorMessage.h"

namespace {

HANDLE HandleFromText(const std::string& option, const std::wstring& text)
{
    unsigned long long value = 0;
    if (!result_protocol::ParseHandleValue(text, value) || value != static_cast<uintptr_t>(value))
        throw ResultChannel::Err(option + WideToAnsi(text) + " is not a handle value");
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

[[noreturn]] void Refuse(const std::string& option, const std::wstring& text, const char* what, const char* call)
{
    const DWORD error = GetLastError();
    throw ResultChannel::Err(option + WideToAnsi(text) + " is not " + what + " of this process: " + call +
                             " failed: " + WindowsErrorText(error));
}

} // namespace

ResultChannel::ResultChannel(const std::wstring& section, const std::wstring& event)
{
    const std::string sectionOption = result_protocol::Switch(result_protocol::kSection, true).substr(1);
    const std::string eventOption = result_protocol::Switch(result_protocol::kEvent, true).substr(1);
    const HANDLE sectionHandle = HandleFromText(sectionOption, section);
    const HANDLE eventHandle = HandleFromText(eventOption, event);
    view_.reset(MapViewOfFile(sectionHandle, FILE_MAP_WRITE, 0, 0, sizeof(std::int32_t)));
    if (!view_)
        Refuse(sectionOption, section, "a section", "MapViewOfFile()");
    if (!ResetEvent(eventHandle))
        Refuse(eventOption, event, "an event", "ResetEvent()");
    event_ = eventHandle;
}

bool ResultChannel::Report(std::int32_t result)
{
    std::memcpy(view_.get(), &result, sizeof result);
    view_.reset();
    return !InjectedFailure("SetEvent") && SetEvent(event_);
}
