#pragma once
// Inflates a zlib stream (RFC 1950: two header bytes, deflate data, Adler-32)
// into a sink, piece by piece as the bytes come out. The output ends where the
// stream ends; anything after the checksum is ignored.
#include <cstddef>
#include <functional>

using ByteSink = std::function<void(const unsigned char* bytes, std::size_t count)>;

// Raises std::runtime_error with the failure named as the decompressor names
// it: "ZlibDecompressor: header decoding error", "ZlibDecompressor: unsupported
// algorithm", "ZlibDecompressor: unsupported preset dictionary",
// "ZlibDecompressor: ADLER32 check error" (after all the bytes were written),
// "Inflator: error in compressed block", "Inflator: unexpected end of
// compressed block".
void InflateZlib(const unsigned char* stream, std::size_t size, const ByteSink& sink);
