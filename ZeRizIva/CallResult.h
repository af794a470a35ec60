#pragma once
// The recorded outcome of the last system or COM call made through an object,
// able to say it as a sentence.
#include <cstdint>
#include <string>
#include <utility>

#include "Text.h"

class CallResultBase {
public:
    virtual ~CallResultBase() = default;
    virtual bool succeeded() const = 0;
    bool failed() const { return !succeeded(); }
    const std::wstring& FunctionName() const { return functionName_; }
    virtual std::wstring Description() const = 0;
    virtual std::wstring CategoryName() const = 0;
    // "<function> failed: <category> error: <code>: <description>"
    std::wstring FailureText() const;
    // The same in the ANSI code page, for narrow lines.
    std::string NarrowFailureText() const;

protected:
    virtual std::wstring CodeText() const = 0;
    std::wstring functionName_;
};

class SystemCallResult : public CallResultBase {
public:
    SystemCallResult() = default;
    SystemCallResult(std::wstring functionName, unsigned long code) { Set(std::move(functionName), code); }
    // The thread's last-error value as the outcome of the named call; read
    // first thing, so call it on the line after the failed call (Windows only).
    static SystemCallResult LastError(const wchar_t* functionName);

    bool succeeded() const override { return code_ == 0; }
    unsigned long Code() const { return code_; }
    std::wstring Description() const override;
    std::wstring CategoryName() const override { return L"Windows"; }
    void Set(std::wstring functionName, unsigned long code)
    {
        functionName_ = std::move(functionName);
        code_ = code;
    }
    // "<function> failed: Windows error <code>: <description>", narrow: the
    // form of a WindowsError, which the programs' own lines use for a failed
    // call where the exceptions use FailureText.
    std::string WindowsFailureText() const;

protected:
    std::wstring CodeText() const override { return WideDecimal(code_); }

private:
    unsigned long code_ = 0;
};

class ComCallResult : public CallResultBase {
public:
    bool succeeded() const override { return code_ >= 0; }
    std::int32_t Code() const { return code_; }
    std::wstring Description() const override;
    std::wstring CategoryName() const override { return L"COM"; }
    void Set(std::wstring functionName, std::int32_t code)
    {
        functionName_ = std::move(functionName);
        code_ = code;
    }

protected:
    std::wstring CodeText() const override { return WideDecimal(code_); }

private:
    std::int32_t code_ = 0;  // an HRESULT
};

// Raises InstallError with the named call's WindowsFailureText for the
// thread's last-error value; call it on the line after the failed call
// (Windows only).
[[noreturn]] void RaiseLastError(const wchar_t* functionName);
