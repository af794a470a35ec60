// The uninstaller's zlib stream: a sound stream, and each damaged form named as
// the decompressor names it.
#include <gtest/gtest.h>

#include <zlib.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "package/ZlibInflate.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string Sample()
{
    std::string text;
    for (int i = 0; text.size() < 200000; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + " of the uninstaller\n";
    return text;
}

Bytes Compress(const std::string& data)
{
    uLongf size = compressBound(data.size());
    Bytes out(size);
    compress2(out.data(), &size, reinterpret_cast<const Bytef*>(data.data()), data.size(), Z_BEST_COMPRESSION);
    out.resize(size);
    return out;
}

struct Result {
    std::string output;
    std::string error;
};

Result Inflate(const Bytes& stream)
{
    Result result;
    try {
        InflateZlib(stream.data(), stream.size(), [&](const unsigned char* bytes, std::size_t count) {
            result.output.append(reinterpret_cast<const char*>(bytes), count);
        });
    } catch (const std::runtime_error& e) {
        result.error = e.what();
    }
    return result;
}

TEST(ZlibInflate, SoundStream)
{
    const Bytes stream = Compress(Sample());
    EXPECT_EQ(stream[0], 0x78);
    EXPECT_EQ(stream[1], 0xDA);
    const Result result = Inflate(stream);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.output, Sample());
    // Bytes after the checksum are not the stream's.
    Bytes trailing = stream;
    trailing.push_back(0);
    EXPECT_EQ(Inflate(trailing).output, Sample());
}

TEST(ZlibInflate, DamagedStreams)
{
    const Bytes good = Compress(Sample());
    auto with = [&good](std::size_t index, unsigned char value) {
        Bytes bytes = good;
        bytes[index] = value;
        return bytes;
    };
    auto cut = [&good](std::size_t drop) { return Bytes(good.begin(), good.end() - drop); };
    const struct {
        const char* why;
        Bytes stream;
        const char* error;
    } cases[] = {
        {"empty", {}, "Inflator: unexpected end of compressed block"},
        {"one byte", {0x78}, "Inflator: unexpected end of compressed block"},
        {"header check bits wrong", with(1, 0xDB), "ZlibDecompressor: header decoding error"},
        {"window over 32 KiB", {0x88, 0x98, 0x03, 0x00}, "ZlibDecompressor: header decoding error"},
        {"method 7", {0x77, 0x09, 0x03, 0x00}, "ZlibDecompressor: unsupported algorithm"},
        {"preset dictionary", {0x78, 0xBB, 0, 0, 0, 1}, "ZlibDecompressor: unsupported preset dictionary"},
        {"reserved block type", {0x78, 0xDA, 0x07, 0x00}, "Inflator: error in compressed block"},
        {"deflate data cut short", Bytes(good.begin(), good.begin() + good.size() / 2),
         "Inflator: unexpected end of compressed block"},
        {"checksum missing", cut(4), "Inflator: unexpected end of compressed block"},
        {"checksum cut short", cut(1), "Inflator: unexpected end of compressed block"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Inflate(c.stream).error, c.error) << c.why;
}

TEST(ZlibInflate, ChecksumMismatchComesAfterTheBytes)
{
    Bytes stream = Compress(Sample());
    stream.back() ^= 1;
    const Result result = Inflate(stream);
    EXPECT_EQ(result.error, "ZlibDecompressor: ADLER32 check error");
    EXPECT_EQ(result.output, Sample());
}

} // namespace
