// The package's LZMA stream: header checks, chunked decoding, and streams that
// end too early on either side of the decoder.
#include <gtest/gtest.h>

#include <string>

#include "FakePackageFiles.h"
#include "ZeRizIva/Exceptions.h"
#include "package/LzmaPackageDecoder.h"
#include "package/PackageFormat.h"
#include "tools/PackageWriter.h"

namespace {

// Small dictionaries keep the encoder light; the decoder takes the size from
// the header either way.
constexpr std::uint32_t kTestDictionary = 1u << 16;

// Deterministic bytes that compress poorly, so the stream spans several chunks.
std::string Noise(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    return bytes;
}

Bytes SamplePackage()
{
    Bytes package;
    AppendEntry(package, {"Velantrix.exe", Bytes(300000, 'v'), -1, false});
    const std::string noise = Noise(200000, 7);
    AppendEntry(package, {"vxcore.dll", Bytes(noise.begin(), noise.end()), -1, false});
    AppendEntry(package, {"dravcfg.exe", Bytes(1000, '1'), 1, false});
    AppendEntry(package, {"dravcfg.exe", Bytes(1000, '2'), 2, false});
    AppendEntry(package, {"empty.txt", {}, -1, false});
    return package;
}

void SetUnpackedSize(Bytes& stream, std::uint64_t size)
{
    for (int i = 0; i < 8; ++i)
        stream[5 + i] = static_cast<unsigned char>(size >> (8 * i));
}

std::string ErrorOf(const Bytes& stream)
{
    FakePackageFiles files;
    PackageParser parser(files, "D", "D\\uninst.exe");
    try {
        DecodeLzmaPackage(stream.data(), stream.size(), parser);
    } catch (const InstallError& e) {
        return e.what();
    }
    return "no error";
}

TEST(LzmaPackage, HeaderOfTheWrittenStream)
{
    const Bytes package = SamplePackage();
    const Bytes stream = CompressLzmaAlone(package, kTestDictionary);
    ASSERT_GT(stream.size(), 13u);
    EXPECT_EQ(stream[0], 0x5D);  // lc 3, lp 0, pb 2
    EXPECT_EQ(Bytes(stream.begin() + 1, stream.begin() + 5), (Bytes{0x00, 0x00, 0x01, 0x00}));
    std::uint64_t size = 0;
    for (int i = 7; i >= 0; --i)
        size = (size << 8) | stream[5 + i];
    EXPECT_EQ(size, package.size());  // known, never all ones
}

TEST(LzmaPackage, DecodesInChunksOfAtMost128KiB)
{
    const Bytes stream = CompressLzmaAlone(SamplePackage(), kTestDictionary);
    FakePackageFiles files;
    PackageParser parser(files, "D", "D\\uninst.exe");
    DecodeLzmaPackage(stream.data(), stream.size(), parser);

    EXPECT_EQ(files.contents.at("D\\Velantrix.exe"), std::string(300000, 'v'));
    EXPECT_EQ(files.contents.at("D\\vxcore.dll"), Noise(200000, 7));
    EXPECT_EQ(files.contents.at("D\\dravcfg.exe"), std::string(1000, '1'));
    EXPECT_EQ(files.contents.at("D\\empty.txt"), "");
    EXPECT_EQ(files.events.back(), "close D\\empty.txt");
    EXPECT_GT(files.writeSizes.size(), 4u);
    for (std::size_t size : files.writeSizes)
        EXPECT_LE(size, package::kOutputChunkSize);
}

TEST(LzmaPackage, RefusedHeaders)
{
    const Bytes good = CompressLzmaAlone(SamplePackage(), kTestDictionary);
    Bytes badProperties = good;
    badProperties[0] = 225;
    Bytes unknownSize = good;
    SetUnpackedSize(unknownSize, ~std::uint64_t{0});
    const struct {
        const char* why;
        Bytes stream;
        const char* error;
    } cases[] = {
        {"nothing at all", {}, "WriteFilesFromLzmaStream: insufficient stream length"},
        {"12 header bytes", Bytes(good.begin(), good.begin() + 12),
         "WriteFilesFromLzmaStream: insufficient stream length"},
        {"properties byte 225", badProperties, "LzmaDecodeProperties() failed: incorrect stream properties"},
        {"size unknown, end marker", unknownSize, "WriteFilesFromLzmaStream: end-of-stream marker not supported"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.stream), c.error) << c.why;
}

// The decoder is asked for output that the input cannot give: a data error,
// never an endless loop.
TEST(LzmaPackage, CompressedStreamThatEndsEarly)
{
    const Bytes package = SamplePackage();
    const Bytes good = CompressLzmaAlone(package, kTestDictionary);
    Bytes longer = good;
    SetUnpackedSize(longer, package.size() + 1);
    const struct {
        const char* why;
        Bytes stream;
    } cases[] = {
        {"header only", Bytes(good.begin(), good.begin() + 13)},
        {"five data bytes", Bytes(good.begin(), good.begin() + 18)},
        {"half the data", Bytes(good.begin(), good.begin() + good.size() / 2)},
        {"all but the last byte", Bytes(good.begin(), good.end() - 1)},
        {"size one byte larger than the data", longer},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.stream), "LzmaDecode() failed: error 1") << c.why;
    EXPECT_EQ(ErrorOf(good), "no error");
}

TEST(LzmaPackage, UnpackedSizeThatEndsInsideAMessage)
{
    Bytes package;
    AppendEntry(package, {"a.txt", Bytes(100, 'a'), -1, false});
    const std::size_t boundary = package.size();
    AppendEntry(package, {"b.txt", Bytes(100, 'b'), -1, false});
    const Bytes good = CompressLzmaAlone(package, kTestDictionary);

    Bytes shortened = good;
    SetUnpackedSize(shortened, package.size() - 1);
    EXPECT_EQ(ErrorOf(shortened),
              "WriteFilesFromLzmaStream: incomplete package: its unpacked size ends inside a message");

    // A size that ends on a message boundary is a smaller, complete package.
    Bytes firstOnly = good;
    SetUnpackedSize(firstOnly, boundary);
    FakePackageFiles files;
    PackageParser parser(files, "D", "D\\uninst.exe");
    DecodeLzmaPackage(firstOnly.data(), firstOnly.size(), parser);
    EXPECT_EQ(files.contents, (std::map<std::string, std::string>{{"D\\a.txt", std::string(100, 'a')}}));
}

} // namespace
