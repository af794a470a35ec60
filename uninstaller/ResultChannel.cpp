#include "ResultChannel.h"

#include <cstring>

#include "UninstallerCommandLine.h"
#include "uninstall_contract/ResultProtocol.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/FaultInjection.h"
#include "ZeRizIva/WinErrorMessage.h"

namespace {

HANDLE HandleFromText(const char* option, const std::wstring& text)
{
    unsigned long long value = 0;
    if (!result_protocol::ParseHandleValue(text, value) || value != static_cast<uintptr_t>(value))
        throw ResultChannel::Err(std::string(option) + WideToAnsi(text) + " is not a handle value");
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

[[noreturn]] void Refuse(const char* option, const std::wstring& text, const char* what, const char* call)
{
    const DWORD error = GetLastError();
    throw ResultChannel::Err(std::string(option) + WideToAnsi(text) + " is not " + what + " of this process: " + call +
                             " failed: " + WindowsErrorText(error));
}

[[noreturn]] void RaiseCallFailure(const char* call)
{
    const DWORD error = GetLastError();
    throw ResultChannel::Err(std::string(call) + " failed: " + WindowsErrorText(error));
}

std::wstring HandleText(HANDLE handle)
{
    return AnsiToWide(result_protocol::HandleValueText(reinterpret_cast<uintptr_t>(handle)));
}

} // namespace

ResultChannel::ResultChannel(const std::wstring& section, const std::wstring& event)
{
    const HANDLE sectionHandle = HandleFromText("-result=", section);
    const HANDLE eventHandle = HandleFromText("-done=", event);
    view_.reset(MapViewOfFile(sectionHandle, FILE_MAP_WRITE, 0, 0, sizeof(std::int32_t)));
    if (!view_)
        Refuse("-result=", section, "a section", "MapViewOfFile()");
    if (!ResetEvent(eventHandle))
        Refuse("-done=", event, "an event", "ResetEvent()");
    event_ = eventHandle;
}

bool ResultChannel::Report(std::int32_t result)
{
    std::memcpy(view_.get(), &result, sizeof result);
    view_.reset();
    return !InjectedFailure("SetEvent") && SetEvent(event_);
}

OwnResultChannel::OwnResultChannel()
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    section_.reset(
        CreateFileMappingA(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0, sizeof(std::int32_t), nullptr));
    if (!section_)
        RaiseCallFailure("CreateFileMapping()");
    view_.reset(MapViewOfFile(section_.get(), FILE_MAP_READ, 0, 0, sizeof(std::int32_t)));
    if (!view_)
        RaiseCallFailure("MapViewOfFile()");
    event_.reset(CreateEventA(&inheritable, TRUE, FALSE, nullptr));
    if (!event_)
        RaiseCallFailure("CreateEvent()");
}

std::wstring OwnResultChannel::SectionText() const { return HandleText(section_.get()); }

std::wstring OwnResultChannel::EventText() const { return HandleText(event_.get()); }

std::optional<std::int32_t> OwnResultChannel::Await(HANDLE reporter) const
{
    // The event comes first: when the reporter has signalled it and ended,
    // both are signalled, and the lower index wins.
    const HANDLE waited[] = {event_.get(), reporter};
    if (WaitForMultipleObjects(2, waited, FALSE, INFINITE) != WAIT_OBJECT_0)
        return std::nullopt;
    std::int32_t result = 0;
    std::memcpy(&result, view_.get(), sizeof result);
    return result;
}
