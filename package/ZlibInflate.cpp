#include "ZlibInflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>

#include "ZeRizIva/AllocationFailure.h"

namespace {

constexpr unsigned kDeflateMethod = 8;
constexpr unsigned kPresetDictionaryFlag = 0x20;
constexpr std::size_t kPieceSize = 0x10000;

[[noreturn]] void Fail(const char* text) { throw std::runtime_error(text); }

void CheckHeader(const unsigned char* stream, std::size_t size)
{
    if (size < 2)
        Fail("Inflator: unexpected end of compressed block");
    const unsigned cmf = stream[0], flags = stream[1];
    if ((cmf * 256 + flags) % 31 != 0 || (cmf >> 4) > 7)
        Fail("ZlibDecompressor: header decoding error");
    if ((cmf & 0x0F) != kDeflateMethod)
        Fail("ZlibDecompressor: unsupported algorithm");
    if (flags & kPresetDictionaryFlag)
        Fail("ZlibDecompressor: unsupported preset dictionary");
}

// A raw inflate stream (no zlib header of its own: the header and the checksum
// are checked here).
class RawInflater {
public:
    RawInflater()
    {
        const int result = inflateInit2(&z_, -MAX_WBITS);
        if (result == Z_MEM_ERROR)
            throw BadAllocation();
        if (result != Z_OK)
            Fail("Inflator: error in compressed block");
    }
    RawInflater(const RawInflater&) = delete;
    RawInflater& operator=(const RawInflater&) = delete;
    ~RawInflater() { inflateEnd(&z_); }

    z_stream* get() { return &z_; }

private:
    z_stream z_ = {};
};

} // namespace

void InflateZlib(const unsigned char* stream, std::size_t size, const ByteSink& sink)
{
    CheckHeader(stream, size);
    const unsigned char* in = stream + 2;
    std::size_t inLeft = size - 2;

    RawInflater inflater;
    z_stream* z = inflater.get();
    const std::unique_ptr<unsigned char[]> out(new unsigned char[kPieceSize]);
    uLong adler = adler32(0, nullptr, 0);
    for (;;) {
        // zlib counts in 32 bits; feed larger inputs in slices.
        const auto slice = static_cast<uInt>(std::min<std::size_t>(inLeft, std::numeric_limits<uInt>::max()));
        z->next_in = const_cast<Bytef*>(in);
        z->avail_in = slice;
        z->next_out = out.get();
        z->avail_out = kPieceSize;
        const int result = inflate(z, Z_NO_FLUSH);
        const std::size_t consumed = slice - z->avail_in;
        in += consumed;
        inLeft -= consumed;
        const std::size_t produced = kPieceSize - z->avail_out;
        if (produced > 0) {
            adler = adler32(adler, out.get(), static_cast<uInt>(produced));
            sink(out.get(), produced);
        }
        if (result == Z_STREAM_END)
            break;
        if (result == Z_MEM_ERROR)
            throw BadAllocation();
        if (result == Z_DATA_ERROR || result == Z_NEED_DICT || result == Z_STREAM_ERROR)
            Fail("Inflator: error in compressed block");
        if (produced == 0 && consumed == 0)  // Z_BUF_ERROR: no input left
            Fail("Inflator: unexpected end of compressed block");
    }

    if (inLeft < 4)
        Fail("Inflator: unexpected end of compressed block");
    const std::uint32_t stored = (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) |
                                 (std::uint32_t{in[2]} << 8) | in[3];
    if (stored != adler)
        Fail("ZlibDecompressor: ADLER32 check error");
}
