#include "CallResult.h"

#include <cstdint>

#include "Codepage.h"
#include "WinErrorMessage.h"

std::wstring CallResultBase::FailureText() const
{
    std::wstring text = functionName_ + L" failed: ";
    const std::wstring category = CategoryName();
    text += category.empty() ? L"error code: " : category + L" error: ";
    text += CodeText();
    const std::wstring description = Description();
    text += description.empty() ? L"." : L": " + description;
    return text;
}

std::string CallResultBase::NarrowFailureText() const { return WideToAnsi(FailureText()); }

std::string SystemCallResult::WindowsFailureText() const
{
    return WideToAnsi(functionName_) + " failed: " + WindowsErrorText(code_);
}

std::wstring SystemCallResult::Description() const { return AnsiToWide(WinErrorMessage(code_)); }

std::wstring ComCallResult::Description() const
{
    switch (static_cast<std::uint32_t>(code_)) {
    case 0x00000000: return L"Success.";
    case 0x00000001: return L"Partial success.";
    case 0x8007000E: return L"Out of memory error.";
    case 0x80004002: return L"Interface not supported error.";
    case 0x80004003: return L"Pointer not valid error.";
    case 0x80004004: return L"Operation aborted error.";
    case 0x80004005: return L"Unspecified error.";
    case 0x8000FFFF: return L"Catastrophic failure error.";
    case 0x800401E5: return L"The object identified by this moniker could not be found.";
    case 0x80070005: return L"General access denied error.";
    case 0x80070006: return L"Handle not valid error.";
    case 0x80070057: return L"One or more arguments are not valid error.";
    default: return {};
    }
}
