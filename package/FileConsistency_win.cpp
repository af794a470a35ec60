#include "FileConsistency.h"

bool VerifyModuleFileConsistency(HMODULE module)
{
    // At most 1,023 characters used; a failure leaves the name empty, and the
    // open that follows reports it.
    char fileName[1024];
    const DWORD length = GetModuleFileNameA(module, fileName, sizeof fileName - 1);
    fileName[length] = '\0';
    return VerifyFileConsistency(fileName);
}
