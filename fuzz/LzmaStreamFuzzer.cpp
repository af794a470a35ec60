// The package's LZMA stream reader on any bytes: its refusals of the header,
// and the decoded bytes compared with liblzma's on the very same stream.
//
// Both decoders take the dictionary size and the unpacked size from the header
// and allocate accordingly, so the harness lowers both first (to 64 KiB and
// 256 KiB, still several output pieces): a 4 GiB dictionary is a limit of the
// run, not a finding.
#include <lzma.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ZeRizIva/Exceptions.h"
#include "package/LzmaPackageDecoder.h"
#include "package/PackageFormat.h"

namespace {

constexpr std::uint32_t kMaxDictionary = 1u << 16;
constexpr std::uint64_t kMaxUnpacked = 256u << 10;
constexpr std::uint64_t kUnknownSize = ~std::uint64_t{0};

using Bytes = std::vector<unsigned char>;

std::uint64_t ReadLittleEndian(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

void WriteLittleEndian(unsigned char* bytes, int count, std::uint64_t value)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Lowers the sizes in the header, leaving an unknown size as it is.
void BoundSizes(Bytes& stream)
{
    if (stream.size() < package::kLzmaHeaderSize)
        return;
    const std::uint64_t dictionary = ReadLittleEndian(&stream[1], 4);
    WriteLittleEndian(&stream[1], 4, std::min<std::uint64_t>(dictionary, kMaxDictionary));
    const std::uint64_t unpacked = ReadLittleEndian(&stream[5], 8);
    if (unpacked != kUnknownSize)
        WriteLittleEndian(&stream[5], 8, std::min(unpacked, kMaxUnpacked));
}

struct Decoded {
    Bytes bytes;
    bool complete = false;
    std::string error;
};

Decoded DecodeWithReader(const Bytes& stream)
{
    Decoded result;
    try {
        DecodeLzmaStream(stream.data(), stream.size(), [&result](const unsigned char* bytes, std::size_t count) {
            FUZZ_CHECK(count <= package::kOutputChunkSize);
            result.bytes.insert(result.bytes.end(), bytes, bytes + count);
        });
        result.complete = true;
    } catch (const InstallError& e) {
        result.error = e.what();
    }
    return result;
}

// liblzma's decoder of the same layout, asked for exactly the unpacked size.
Decoded DecodeWithLiblzma(const Bytes& stream, std::uint64_t unpacked)
{
    static unsigned char piece[16384];
    Decoded result;
    lzma_stream lzma = LZMA_STREAM_INIT;
    FUZZ_CHECK(lzma_alone_decoder(&lzma, UINT64_MAX) == LZMA_OK);
    lzma.next_in = stream.data();
    lzma.avail_in = stream.size();
    lzma_ret status = LZMA_OK;
    while (status == LZMA_OK && lzma.total_out < unpacked) {
        lzma.next_out = piece;
        lzma.avail_out = std::min<std::uint64_t>(sizeof piece, unpacked - lzma.total_out);
        status = lzma_code(&lzma, LZMA_FINISH);
        result.bytes.insert(result.bytes.end(), piece, lzma.next_out);
    }
    result.complete = lzma.total_out == unpacked && (status == LZMA_OK || status == LZMA_STREAM_END);
    lzma_end(&lzma);
    return result;
}

bool IsPrefix(const Bytes& shorter, const Bytes& longer)
{
    return shorter.size() <= longer.size() && std::equal(shorter.begin(), shorter.end(), longer.begin());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes stream(data, data + size);
    BoundSizes(stream);
    const Decoded reader = DecodeWithReader(stream);

    if (stream.size() < package::kLzmaHeaderSize) {
        FUZZ_CHECK(reader.error == "WriteFilesFromLzmaStream: insufficient stream length");
        return 0;
    }
    if (stream[0] >= 9 * 5 * 5) {
        FUZZ_CHECK(reader.error == "LzmaDecodeProperties() failed: incorrect stream properties");
        return 0;
    }
    const std::uint64_t unpacked = ReadLittleEndian(&stream[5], 8);
    if (unpacked == kUnknownSize) {
        FUZZ_CHECK(reader.error == "WriteFilesFromLzmaStream: end-of-stream marker not supported");
        return 0;
    }
    // Damaged or short data is the decoder's data error, nothing else.
    FUZZ_CHECK(reader.complete ? reader.bytes.size() == unpacked : reader.error == "LzmaDecode() failed: error 1");

    const Decoded reference = DecodeWithLiblzma(stream, unpacked);
    // Whatever both produced agrees byte for byte.
    FUZZ_CHECK(IsPrefix(reader.bytes, reference.bytes) || IsPrefix(reference.bytes, reader.bytes));
    // The SDK's decoder takes the range coder's next byte after the last
    // symbol too (an encoder's stream always has it); liblzma stops right after
    // the symbol. So a stream that liblzma decodes whole even one byte shorter,
    // the reader decodes whole.
    if (reference.complete && !reader.complete) {
        const Bytes shorter(stream.begin(), stream.end() - 1);
        FUZZ_CHECK(!DecodeWithLiblzma(shorter, unpacked).complete);
    }
    return 0;
}
