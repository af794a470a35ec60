#include "package/Sha1.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

// Feeds the message in pieces of the given sizes, cycling through them.
std::string Digest(const std::string& message, const std::vector<size_t>& pieces = {})
{
    Sha1 sha1;
    size_t at = 0;
    for (size_t n = 0; at < message.size(); ++n) {
        const size_t piece = pieces.empty() ? message.size() : pieces[n % pieces.size()];
        const size_t take = std::min(piece, message.size() - at);
        sha1.Update(message.data() + at, take);
        at += take;
    }
    unsigned char digest[Sha1::kDigestSize];
    sha1.Finish(digest);
    return DigestHex(digest, sizeof digest);
}

struct Vector {
    std::string message;
    const char* digest;
    const char* why;
};

TEST(Sha1, KnownVectors)
{
    const Vector vectors[] = {
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d", "FIPS 180 one-block example"},
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709", "empty: the padding block alone"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1",
         "FIPS 180 two-block example: 56 bytes, the length needs a second block"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "a49b2446a02c645bf419f995b67091253a04a259", "112 bytes"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f", "one million 'a'"},
    };
    for (const Vector& v : vectors) {
        EXPECT_EQ(Digest(v.message), v.digest) << v.why;
        // Pieces that start and end everywhere inside a block give the same digest.
        EXPECT_EQ(Digest(v.message, {1, 63, 64, 65, 7, 130, 4097}), v.digest) << v.why << ", in pieces";
    }
}

// Empty pieces, also without memory behind them, add nothing, before and
// inside a started block.
TEST(Sha1, EmptyPiecesAddNothing)
{
    Sha1 sha1;
    sha1.Update(nullptr, 0);
    sha1.Update("ab", 2);
    sha1.Update(nullptr, 0);
    sha1.Update("c", 1);
    unsigned char digest[Sha1::kDigestSize];
    sha1.Finish(digest);
    EXPECT_EQ(DigestHex(digest, sizeof digest), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

#ifndef _WIN32
// The digest of coreutils' sha1sum for a file.
std::string Sha1sum(const std::string& path)
{
    const std::string command = "sha1sum '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "popen failed";
    char line[128] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    return got ? std::string(line, 40) : "no output";
}

std::string FileDigest(const std::string& path, std::string& contents)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return "cannot open";
    Sha1 sha1;
    unsigned char buffer[16384];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        sha1.Update(buffer, n);
        contents.append(reinterpret_cast<char*>(buffer), n);
    }
    std::fclose(file);
    unsigned char digest[Sha1::kDigestSize];
    sha1.Finish(digest);
    return DigestHex(digest, sizeof digest);
}

TEST(Sha1, AgreesWithSha1sumOnRealFiles)
{
    // Lengths around the padding limits (55, 56, 64 bytes), random contents, and
    // this test program itself.
    std::mt19937 random(1805);
    std::vector<std::string> paths;
    for (size_t length : {1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000003u}) {
        const std::string path = testing::TempDir() + "sha1-" + std::to_string(length) + ".bin";
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        for (size_t i = 0; i < length; ++i)
            std::fputc(static_cast<int>(random() & 0xFF), file);
        std::fclose(file);
        paths.push_back(path);
    }
    paths.push_back(std::filesystem::read_symlink("/proc/self/exe").string());
    for (const std::string& path : paths) {
        std::string contents;
        const std::string ours = FileDigest(path, contents);
        EXPECT_EQ(ours, Sha1sum(path)) << path;
        EXPECT_EQ(Digest(contents, {4096 + 13}), ours) << path << ": in pieces";
    }
    for (size_t i = 0; i + 1 < paths.size(); ++i)
        std::remove(paths[i].c_str());
}
#endif

} // namespace
