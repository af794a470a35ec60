#include "FileConsistency.h"

#include "ConsistencyErr.h"
#include "ConsistencyFileAccess.h"
#include "ConsistencyFileScanner.h"

bool VerifyFileConsistency(const char* path)
{
    unsigned long error = 0;
    const OwnedConsistencyFile file = OpenConsistencyFile(path, false, error);
    if (!file)
        throw ConsistencyErr("VerifyModuleFileConsistency() - CreateFile() failed", error);
    ConsistencyFileScanner scanner(file.get());
    return scanner.Scan() && scanner.DigestsEqual();
}

void ApplyFileConsistencyDigest(const char* path)
{
    unsigned long error = 0;
    const OwnedConsistencyFile file = OpenConsistencyFile(path, true, error);
    if (!file)
        throw ConsistencyErr("ApplyFileConsistencyDigest() - CreateFile() failed", error);
    ConsistencyFileScanner scanner(file.get());
    if (!scanner.Scan())
        throw ConsistencyErr("A consistency marker could not be found in the file", 0);
    scanner.Apply();
}
