#include "Exceptions.h"

#include "Codepage.h"

TException::TException(std::wstring text) : wide_(true), wideText_(std::move(text)), codePage_(AnsiCodePage()) {}

TException::TException(Narrow, std::string text)
    : wide_(false), narrowText_(std::move(text)), codePage_(AnsiCodePage())
{
}

const char* TException::what() const noexcept
{
    if (wide_ && narrowText_.empty() && !wideText_.empty()) {
        try {
            narrowText_ = WideToAnsi(wideText_, codePage_);
        } catch (...) {
            return "";
        }
    }
    return narrowText_.c_str();
}

std::wstring TException::WideText() const { return wide_ ? wideText_ : AnsiToWide(narrowText_, codePage_); }
