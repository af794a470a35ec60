// MinGW has no _set_se_translator. Instead a handler sees the fault first and
// rewrites the faulting thread's context so that it "calls" a function that
// throws the matching C++ exception, as if the faulting instruction had made
// that call. The C++ unwinder then runs every destructor between the fault and
// the top-level handler, so the install steps roll back as for any exception.
// The code is compiled with -fnon-call-exceptions, so the trapping instruction
// lies in an exception region of its function.
#include <windows.h>

#include "StructuredException.h"

namespace {

DWORD g_mainThread = 0;
const BYTE* g_imageStart = nullptr;
const BYTE* g_imageEnd = nullptr;

extern "C" [[noreturn]] __attribute__((used, noinline)) void VelantrixThrowStructured(DWORD code)
{
    ThrowStructuredException(code);
}

bool IsStructuredFault(DWORD code)
{
    // Errors and the three warnings of the table; informational codes (debug
    // output, thread naming) and the C++ runtime's own throw are left alone.
    return (code & 0xF0000000) == 0xC0000000 || code == 0x80000002 || code == 0x80000003 || code == 0x80000004;
}

} // namespace

#ifdef _WIN64
// Entered with [rsp] = the fake return address. The frame pointer makes the
// unwinder independent of the alignment we give the stack here.
extern "C" void VelantrixThrowStructuredThunk();
asm(".text\n"
    ".globl VelantrixThrowStructuredThunk\n"
    ".def VelantrixThrowStructuredThunk; .scl 2; .type 32; .endef\n"
    ".seh_proc VelantrixThrowStructuredThunk\n"
    "VelantrixThrowStructuredThunk:\n"
    "  pushq %rbp\n"
    "  .seh_pushreg %rbp\n"
    "  movq %rsp, %rbp\n"
    "  .seh_setframe %rbp, 0\n"
    "  .seh_endprologue\n"
    "  andq $-16, %rsp\n"
    "  subq $32, %rsp\n"
    "  call VelantrixThrowStructured\n"
    "  nop\n"
    ".seh_endproc\n");
#else
extern "C" [[noreturn]] __attribute__((fastcall, used, noinline)) void VelantrixThrowStructuredFast(DWORD code)
{
    VelantrixThrowStructured(code);
}
#endif

static LONG WINAPI TranslateFault(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    const auto* address = static_cast<const BYTE*>(record->ExceptionAddress);
    if (GetCurrentThreadId() != g_mainThread || !IsStructuredFault(record->ExceptionCode) ||
        (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) || address < g_imageStart || address >= g_imageEnd)
        return EXCEPTION_CONTINUE_SEARCH;

    // The return address points one byte into the faulting instruction: the
    // unwinder looks up the instruction before a return address, which is then
    // the faulting one itself.
    CONTEXT* context = pointers->ContextRecord;
#ifdef _WIN64
    context->Rsp -= sizeof(DWORD64);
    *reinterpret_cast<DWORD64*>(context->Rsp) = context->Rip + 1;
    context->Rcx = record->ExceptionCode;
    context->Rip = reinterpret_cast<DWORD64>(&VelantrixThrowStructuredThunk);
#else
    context->Esp -= sizeof(DWORD);
    *reinterpret_cast<DWORD*>(context->Esp) = context->Eip + 1;
    context->Ecx = record->ExceptionCode;
    context->Eip = reinterpret_cast<DWORD>(&VelantrixThrowStructuredFast);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

void InstallStructuredExceptionTranslator()
{
    g_mainThread = GetCurrentThreadId();
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    g_imageStart = image;
    g_imageEnd = image + nt->OptionalHeader.SizeOfImage;

    // Vectored handlers see a fault before any frame does; they exist from
    // Windows XP on. Older systems get the process-wide last-chance filter,
    // which frames compiled with DWARF unwinding never pre-empt.
    using AddHandlerFn = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
    const auto addHandler = reinterpret_cast<AddHandlerFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "AddVectoredExceptionHandler")));
    if (addHandler)
        addHandler(1, TranslateFault);
    else
        SetUnhandledExceptionFilter(TranslateFault);
}
