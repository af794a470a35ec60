#include "ResultReceiver.h"

#include <cstring>

#include "ResultProtocol.h"
#include "ZeRizIva/CallResult.h"

namespace {

unsigned long long Value(HANDLE handle) { return reinterpret_cast<uintptr_t>(handle); }

} // namespace

ResultReceiver::ResultReceiver()
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    section_.reset(
        CreateFileMappingA(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0, sizeof(std::int32_t), nullptr));
    if (!section_)
        RaiseLastError(L"CreateFileMapping()");
    view_.reset(MapViewOfFile(section_.get(), FILE_MAP_READ, 0, 0, sizeof(std::int32_t)));
    if (!view_)
        RaiseLastError(L"MapViewOfFile()");
    event_.reset(CreateEventA(&inheritable, TRUE, FALSE, nullptr));
    if (!event_)
        RaiseLastError(L"CreateEvent()");
}

std::string ResultReceiver::CallerArguments() const
{
    return result_protocol::CallerArguments(Value(section_.get()), Value(event_.get()));
}

std::string ResultReceiver::SectionText() const { return result_protocol::HandleValueText(Value(section_.get())); }

std::string ResultReceiver::EventText() const { return result_protocol::HandleValueText(Value(event_.get())); }

std::optional<std::int32_t> ResultReceiver::Await(HANDLE reporter, DWORD milliseconds) const
{
    // The event comes first: when the reporter has signalled it and ended,
    // both are signalled, and the lower index wins.
    const HANDLE waited[] = {event_.get(), reporter};
    if (WaitForMultipleObjects(reporter ? 2 : 1, waited, FALSE, milliseconds) != WAIT_OBJECT_0)
        return std::nullopt;
    std::int32_t result = 0;
    std::memcpy(&result, view_.get(), sizeof result);
    return result;
}
