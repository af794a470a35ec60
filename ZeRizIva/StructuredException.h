#pragma once
// Processor and system faults (Win32 structured exceptions) as C++ exceptions.
#include <cstdint>
#include <exception>

class StructuredException : public std::exception {
public:
    explicit StructuredException(std::uint32_t code) : code_(code) {}
    std::uint32_t Code() const { return code_; }
    const char* what() const noexcept override;

private:
    std::uint32_t code_;
};

#define VELANTRIX_SE_CLASS(Name) \
    class Name : public StructuredException { \
    public: \
        using StructuredException::StructuredException; \
    };
VELANTRIX_SE_CLASS(SE_DatatypeMisalignment)
VELANTRIX_SE_CLASS(SE_Breakpoint)
VELANTRIX_SE_CLASS(SE_SingleStep)
VELANTRIX_SE_CLASS(SE_AccessViolation)
VELANTRIX_SE_CLASS(SE_NoncontinuableException)
VELANTRIX_SE_CLASS(SE_ArrayBoundsExceeded)
VELANTRIX_SE_CLASS(SE_FltDenormalOperand)
VELANTRIX_SE_CLASS(SE_FltDivideByZero)
VELANTRIX_SE_CLASS(SE_FltInexactResult)
VELANTRIX_SE_CLASS(SE_FltInvalidOperation)
VELANTRIX_SE_CLASS(SE_FltOverflow)
VELANTRIX_SE_CLASS(SE_FltStackCheck)
VELANTRIX_SE_CLASS(SE_FltUnderflow)
VELANTRIX_SE_CLASS(SE_IntDivideByZero)
VELANTRIX_SE_CLASS(SE_IntOverflow)
VELANTRIX_SE_CLASS(SE_PrivInstruction)
#undef VELANTRIX_SE_CLASS

// Raises the class that matches the code (StructuredException for others).
[[noreturn]] void ThrowStructuredException(std::uint32_t code);

// Makes faults of the calling (main) thread inside this program reach the
// C++ handlers as the classes above. Call once, first thing.
void InstallStructuredExceptionTranslator();
