#include "LzmaPackageDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "LzmaDec.h"
#include "PackageFormat.h"
#include "PackageParser.h"
#include "ZeRizIva/AllocationFailure.h"
#include "ZeRizIva/Exceptions.h"

namespace {

void* Allocate(void*, size_t size) { return std::malloc(size); }
void Free(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {Allocate, Free};

// The decoder's state and its dictionary buffer (the dictionary size of the
// stream's header): construct, allocate, free.
class LzmaDecoder {
public:
    explicit LzmaDecoder(const unsigned char* properties)
    {
        LzmaDec_Construct(&state_);
        const SRes result = LzmaDec_Allocate(&state_, properties, LZMA_PROPS_SIZE, &g_alloc);
        if (result == SZ_ERROR_MEM)
            throw BadAllocation();
        if (result != SZ_OK)
            throw InstallError("LzmaDecodeProperties() failed: incorrect stream properties");
        LzmaDec_Init(&state_);
    }
    LzmaDecoder(const LzmaDecoder&) = delete;
    LzmaDecoder& operator=(const LzmaDecoder&) = delete;
    ~LzmaDecoder() { LzmaDec_Free(&state_, &g_alloc); }

    CLzmaDec* get() { return &state_; }

private:
    CLzmaDec state_;
};

std::uint64_t ReadLittleEndian64(const unsigned char* bytes)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

} // namespace

void DecodeLzmaStream(const unsigned char* stream, std::size_t size, const DecodedBytes& consume)
{
    if (size < package::kLzmaHeaderSize)
        throw InstallError("WriteFilesFromLzmaStream: insufficient stream length");
    CLzmaProps properties;
    if (LzmaProps_Decode(&properties, stream, LZMA_PROPS_SIZE) != SZ_OK)
        throw InstallError("LzmaDecodeProperties() failed: incorrect stream properties");
    std::uint64_t remaining = ReadLittleEndian64(stream + LZMA_PROPS_SIZE);
    if (remaining == ~std::uint64_t{0})
        throw InstallError("WriteFilesFromLzmaStream: end-of-stream marker not supported");

    LzmaDecoder decoder(stream);
    const std::unique_ptr<unsigned char[]> out(new unsigned char[package::kOutputChunkSize]);
    const unsigned char* in = stream + package::kLzmaHeaderSize;
    std::size_t inLeft = size - package::kLzmaHeaderSize;

    while (remaining > 0) {
        SizeT produced = static_cast<SizeT>(std::min<std::uint64_t>(remaining, package::kOutputChunkSize));
        SizeT consumed = inLeft;
        ELzmaStatus status;
        SRes result = LzmaDec_DecodeToBuf(decoder.get(), out.get(), &produced, in, &consumed, LZMA_FINISH_ANY, &status);
        // Asked for output it cannot give: the input ended early, or an end
        // marker came first. Without this the loop would never end.
        if (result == SZ_OK && produced == 0 && consumed == 0)
            result = SZ_ERROR_DATA;
        if (result != SZ_OK)
            throw InstallError("LzmaDecode() failed: error " + std::to_string(result));
        in += consumed;
        inLeft -= consumed;
        consume(out.get(), produced);
        remaining -= produced;
    }
}

void DecodeLzmaPackage(const unsigned char* stream, std::size_t size, PackageParser& parser)
{
    DecodeLzmaStream(stream, size,
                     [&parser](const unsigned char* bytes, std::size_t count) { parser.ProcessOutBytes(bytes, count); });
    parser.Finish();
}
