#include "PackageWriter.h"

#include <cstdlib>
#include <stdexcept>

#include "LzmaEnc.h"
#include "package/PackageFormat.h"

namespace {

void* Allocate(void*, size_t size) { return std::malloc(size); }
void Free(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {Allocate, Free};

} // namespace

void AppendMessage(Bytes& package, unsigned char type, const void* payload, std::size_t length)
{
    if (length > 0xFFFFFFFFu)
        throw std::runtime_error("message payload over 4 GiB");
    package.push_back(type);
    for (int shift = 24; shift >= 0; shift -= 8)
        package.push_back(static_cast<unsigned char>(length >> shift));
    const auto* bytes = static_cast<const unsigned char*>(payload);
    package.insert(package.end(), bytes, bytes + length);
}

void AppendMessage(Bytes& package, unsigned char type, const std::string& payload)
{
    AppendMessage(package, type, payload.data(), payload.size());
}

void AppendEntry(Bytes& package, const PackageEntry& entry)
{
    if (!entry.name.empty())
        AppendMessage(package, package::kNameMessage, entry.name);
    if (entry.uninstaller)
        AppendMessage(package, package::kUninstallerMessage, nullptr, 0);
    if (entry.platformMask >= 0) {
        const auto mask = static_cast<unsigned char>(entry.platformMask);
        AppendMessage(package, package::kPlatformMessage, &mask, 1);
    }
    AppendMessage(package, package::kDataMessage, entry.data.data(), entry.data.size());
}

Bytes CompressLzmaAlone(const Bytes& data, std::uint32_t dictionarySize)
{
    CLzmaEncProps props;
    LzmaEncProps_Init(&props);
    props.level = 9;
    props.dictSize = dictionarySize;
    props.lc = 3;
    props.lp = 0;
    props.pb = 2;
    props.numThreads = 1;

    // The documented bound for incompressible input, plus the header.
    SizeT capacity = data.size() + data.size() / 3 + 128;
    Bytes out(package::kLzmaHeaderSize + capacity);
    SizeT propsSize = LZMA_PROPS_SIZE;
    // writeEndMark 0: the known size in the header ends the stream.
    const SRes result = LzmaEncode(out.data() + package::kLzmaHeaderSize, &capacity, data.data(), data.size(), &props,
                                   out.data(), &propsSize, 0, nullptr, &g_alloc, &g_alloc);
    if (result != SZ_OK)
        throw std::runtime_error("LzmaEncode() failed: error " + std::to_string(result));
    if (propsSize != LZMA_PROPS_SIZE)
        throw std::runtime_error("LzmaEncode() wrote unexpected properties");
    const std::uint64_t size = data.size();
    for (int i = 0; i < 8; ++i)
        out[LZMA_PROPS_SIZE + i] = static_cast<unsigned char>(size >> (8 * i));
    out.resize(package::kLzmaHeaderSize + capacity);
    return out;
}
