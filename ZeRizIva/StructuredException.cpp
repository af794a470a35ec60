#include "StructuredException.h"

namespace {

struct CodeName {
    std::uint32_t code;
    const char* name;
    void (*raise)(std::uint32_t);
};

template <typename Class>
[[noreturn]] void Raise(std::uint32_t code)
{
    throw Class(code);
}

const CodeName kCodes[] = {
    {0x80000002, "EXCEPTION_DATATYPE_MISALIGNMENT", Raise<SE_DatatypeMisalignment>},
    {0x80000003, "EXCEPTION_BREAKPOINT", Raise<SE_Breakpoint>},
    {0x80000004, "EXCEPTION_SINGLE_STEP", Raise<SE_SingleStep>},
    {0xC0000005, "EXCEPTION_ACCESS_VIOLATION", Raise<SE_AccessViolation>},
    {0xC0000025, "EXCEPTION_NONCONTINUABLE_EXCEPTION", Raise<SE_NoncontinuableException>},
    {0xC000008C, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED", Raise<SE_ArrayBoundsExceeded>},
    {0xC000008D, "EXCEPTION_FLT_DENORMAL_OPERAND", Raise<SE_FltDenormalOperand>},
    {0xC000008E, "EXCEPTION_FLT_DIVIDE_BY_ZERO", Raise<SE_FltDivideByZero>},
    {0xC000008F, "EXCEPTION_FLT_INEXACT_RESULT", Raise<SE_FltInexactResult>},
    {0xC0000090, "EXCEPTION_FLT_INVALID_OPERATION", Raise<SE_FltInvalidOperation>},
    {0xC0000091, "EXCEPTION_FLT_OVERFLOW", Raise<SE_FltOverflow>},
    {0xC0000092, "EXCEPTION_FLT_STACK_CHECK", Raise<SE_FltStackCheck>},
    {0xC0000093, "EXCEPTION_FLT_UNDERFLOW", Raise<SE_FltUnderflow>},
    {0xC0000094, "EXCEPTION_INT_DIVIDE_BY_ZERO", Raise<SE_IntDivideByZero>},
    {0xC0000095, "EXCEPTION_INT_OVERFLOW", Raise<SE_IntOverflow>},
    {0xC0000096, "EXCEPTION_PRIV_INSTRUCTION", Raise<SE_PrivInstruction>},
};

} // namespace

const char* StructuredException::what() const noexcept
{
    for (const CodeName& entry : kCodes)
        if (entry.code == code_)
            return entry.name;
    return "unrecognized structured exception";
}

void ThrowStructuredException(std::uint32_t code)
{
    for (const CodeName& entry : kCodes)
        if (entry.code == code)
            entry.raise(code);
    throw StructuredException(code);
}
