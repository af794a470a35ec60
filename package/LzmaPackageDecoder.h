#pragma once
// Decodes the package's LZMA stream (PackageFormat.h) in 128 KiB pieces and
// hands each piece to the parser; the package is never held whole.
#include <cstddef>

class PackageParser;

// Raises InstallError for a stream that is too short, has unusable properties,
// announces no size, is damaged or ends early ("LzmaDecode() failed: error 1"),
// and whatever the parser raises. Calls parser.Finish() at the end.
void DecodeLzmaPackage(const unsigned char* stream, std::size_t size, PackageParser& parser);
