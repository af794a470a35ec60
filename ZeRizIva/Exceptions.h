#pragma once
// The exception classes every failure of the installer is reported with.
#include <cstdint>
#include <exception>
#include <string>

// The maker's exception base: its text is kept wide or narrow and converted
// through the ANSI code page taken when the object was made.
class TException : public std::exception {
public:
    explicit TException(std::wstring text);
    const char* what() const noexcept override;
    std::wstring WideText() const;

protected:
    struct Narrow {};
    TException(Narrow, std::string text);

private:
    bool wide_;
    std::wstring wideText_;
    mutable std::string narrowText_;
    unsigned codePage_;
};

class AException : public TException {
public:
    explicit AException(std::string text) : TException(Narrow{}, std::move(text)) {}
};

// The complete failure text of a system or COM call.
class BaseException : public TException {
public:
    explicit BaseException(std::wstring text) : TException(std::move(text)) {}
};

template <typename T>
class BaseExceptionEx : public BaseException {
public:
    // Made from a failed call result (SystemCallResult, ComCallResult).
    template <typename Result>
    explicit BaseExceptionEx(const Result& result)
        : BaseException(result.FailureText()),
          functionName_(result.FunctionName()),
          code_(static_cast<T>(result.Code())),
          description_(result.Description())
    {
    }

    const std::wstring& FunctionName() const { return functionName_; }
    T Code() const { return code_; }
    const std::wstring& Description() const { return description_; }

private:
    std::wstring functionName_;
    T code_;
    std::wstring description_;
};

class RegException : public BaseExceptionEx<unsigned long> {
public:
    using BaseExceptionEx::BaseExceptionEx;
};

class ComException : public BaseExceptionEx<std::int32_t> {
public:
    using BaseExceptionEx::BaseExceptionEx;
};

// A failure that ends the installation, with its complete narrow text.
class InstallError : public std::exception {
public:
    explicit InstallError(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

// Ends the run with an exit code after the user has already been told why, or
// chose to stop. Deliberately not a std::exception: nothing reports it.
class SilentExit {
public:
    explicit SilentExit(int exitCode) : exitCode_(exitCode) {}
    int ExitCode() const { return exitCode_; }

private:
    int exitCode_;
};
