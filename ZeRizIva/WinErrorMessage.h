#pragma once
// Texts for Win32 error codes.
#include <string>

#include "Exceptions.h"

// The system's text for a Win32 error code, without trailing line ends; the
// built-in text, or "Error errorCode N received.", when the system has none.
std::string WinErrorMessage(unsigned long code);

// "Windows error N: text" for a Win32 error code (hexadecimal above 99999).
// Never raised by itself: it is the building block of failure messages.
class WindowsError : public TException {
public:
    explicit WindowsError(unsigned long code);
    unsigned long Code() const { return code_; }

private:
    unsigned long code_;
};

// The text of a WindowsError for a code, as narrow text.
std::string WindowsErrorText(unsigned long code);
