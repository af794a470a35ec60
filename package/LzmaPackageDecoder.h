#pragma once
// Decodes the package's LZMA stream (PackageFormat.h) in 128 KiB pieces and
// hands each piece on (to the parser); the package is never held whole.
#include <cstddef>
#include <functional>

class PackageParser;

// Receives each decoded piece (at most 128 KiB) as it is produced.
using DecodedBytes = std::function<void(const unsigned char* bytes, std::size_t count)>;

// Decodes the stream up to its unpacked size. Raises InstallError for a stream
// that is too short, has unusable properties, announces no size, is damaged or
// ends early ("LzmaDecode() failed: error 1"), and whatever `consume` raises.
void DecodeLzmaStream(const unsigned char* stream, std::size_t size, const DecodedBytes& consume);

// The same into the parser, then parser.Finish().
void DecodeLzmaPackage(const unsigned char* stream, std::size_t size, PackageParser& parser);
