#pragma once
// The integrity check of a file that carries a digest block, and the build's
// counterpart that stamps the digest. Both raise ConsistencyErr when the file
// cannot be opened, read, positioned or written.
#ifdef _WIN32
#include <windows.h>
#endif

// True if the file holds a block whose stored digest equals the computed one;
// false if there is no block or the digests differ.
bool VerifyFileConsistency(const char* path);

// Writes the file's digest into its block's slot. Raises ConsistencyErr "A
// consistency marker could not be found in the file" (code 0), leaving the file
// unchanged, when it holds no block. Stamping twice writes the same digest.
void ApplyFileConsistencyDigest(const char* path);

#ifdef _WIN32
// VerifyFileConsistency on the file of a loaded module; no module (null) means
// the running executable.
bool VerifyModuleFileConsistency(HMODULE module);
#endif
