// Build step: stamps the SHA-1 digest into a finished installer executable and
// checks the result. Fails (exit code 1) when the file holds no digest block,
// when the block is not the program's own (two marker copies), when its first
// marker copy straddles a 16 KiB read of the installer's check, when the file
// is already signed (stamp first, then sign: stamping changes covered bytes and
// so breaks the signature), or when the stamped file does not verify. Prints
// where the block lies and what the digest leaves out of the PE file (its
// checksum, its certificate-table entry and a certificate table at its end,
// which signing changes).
//
// With --verify it stamps nothing and only checks the file as the installer
// does, signed or not: exit code 0 when it verifies, 1 when not. The build
// runs it after signing.
//
//   StampConsistencyDigest <executable>
//   StampConsistencyDigest --verify <executable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/AuthenticodeLayout.h"
#include "package/ConsistencyBlock.h"
#include "package/ConsistencyErr.h"
#include "package/ConsistencyFileAccess.h"
#include "package/ConsistencyFileScanner.h"
#include "package/FileConsistency.h"
#include "package/Sha1.h"

namespace {

constexpr size_t kExpectedMarkerCopies = std::size(kConsistencyBlock.markers);

struct BlockPlace {
    std::uint64_t start;       // the first marker copy
    size_t markerCopies;
    std::uint64_t digestOffset;
    std::string digest;        // hexadecimal
    AuthenticodeLayout layout; // what the digest leaves out besides the slot
};

std::vector<unsigned char> ReadWholeFile(const char* path)
{
    const std::unique_ptr<std::FILE, StdioFileCloser> file(std::fopen(path, "rb"));
    std::vector<unsigned char> bytes;
    unsigned char piece[1 << 16];
    size_t n = 0;
    while (file && (n = std::fread(piece, 1, sizeof piece, file.get())) > 0)
        bytes.insert(bytes.end(), piece, piece + n);
    if (!file || std::ferror(file.get()))
        throw std::runtime_error("cannot read the file back");
    return bytes;
}

// Where the scanner found the block, and how many marker copies lead to it.
BlockPlace LocateBlock(const char* path)
{
    unsigned long error = 0;
    const OwnedConsistencyFile file = OpenConsistencyFile(path, false, error);
    if (!file)
        throw std::runtime_error("cannot open the file again: error " + std::to_string(error));
    ConsistencyFileScanner scanner(file.get());
    if (!scanner.Scan())
        throw std::runtime_error("the stamped file has no digest block");

    const std::vector<unsigned char> bytes = ReadWholeFile(path);
    BlockPlace place{scanner.DigestOffset() - 1, 0, scanner.DigestOffset(),
                     DigestHex(scanner.ComputedDigest(), kConsistencyDigestSize), scanner.Layout()};
    while (place.start >= kConsistencyMarkerSize &&
           std::memcmp(bytes.data() + place.start - kConsistencyMarkerSize, kConsistencyMarker,
                       kConsistencyMarkerSize) == 0) {
        place.start -= kConsistencyMarkerSize;
        ++place.markerCopies;
    }
    return place;
}

std::string Hex(std::uint64_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

// What the digest leaves out besides the slot, as one line's end.
std::string LeftOut(const AuthenticodeLayout& layout)
{
    if (!layout.IsPe())
        return "not a PE file: nothing else left out";
    std::string text = "left out: checksum at " + Hex(layout.checkSum.offset) + ", security entry at " +
                       Hex(layout.securityEntry.offset);
    if (layout.certificateTable.size != 0)
        text += ", certificate table at " + Hex(layout.certificateTable.offset) + " (" +
                std::to_string(layout.certificateTable.size) + " bytes, to the end of the file)";
    else
        text += ", no certificate table";
    return text;
}

// Whether the file already carries a signature's certificate table.
bool IsSigned(const char* path)
{
    const std::vector<unsigned char> bytes = ReadWholeFile(path);
    return FindAuthenticodeLayout(bytes.data(), bytes.size()).certificateTable.size != 0;
}

void Stamp(const char* path)
{
    if (IsSigned(path))
        throw std::runtime_error("the file is already signed: stamp it before signing, not after");
    ApplyFileConsistencyDigest(path);
    if (!VerifyFileConsistency(path))
        throw std::runtime_error("the stamped file does not verify");

    const BlockPlace place = LocateBlock(path);
    if (place.markerCopies != kExpectedMarkerCopies)
        throw std::runtime_error("the digest block has " + std::to_string(place.markerCopies) +
                                 " marker copies, not " + std::to_string(kExpectedMarkerCopies));
    const std::uint64_t read = ConsistencyFileScanner::kReadSize;
    if (place.start / read != (place.start + kConsistencyMarkerSize - 1) / read)
        throw std::runtime_error("the digest block's first marker straddles a 16 KiB boundary at offset " +
                                 std::to_string(place.start));
    std::printf("%s: digest block at file offset 0x%llx (%zu marker copies), digest at 0x%llx: %s; %s\n", path,
                static_cast<unsigned long long>(place.start), place.markerCopies,
                static_cast<unsigned long long>(place.digestOffset), place.digest.c_str(),
                LeftOut(place.layout).c_str());
}

// The installer's own check on the file; true when it verifies.
bool Verify(const char* path)
{
    if (!VerifyFileConsistency(path)) {
        std::fprintf(stderr, "StampConsistencyDigest: %s: does not verify (the installer would end with 90)\n",
                     path);
        return false;
    }
    const BlockPlace place = LocateBlock(path);
    std::printf("%s: verifies, digest at 0x%llx: %s; %s\n", path,
                static_cast<unsigned long long>(place.digestOffset), place.digest.c_str(),
                LeftOut(place.layout).c_str());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool verifyOnly = argc == 3 && std::string(argv[1]) == "--verify";
    if (argc != 2 && !verifyOnly) {
        std::fprintf(stderr, "usage: StampConsistencyDigest [--verify] <executable>\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    try {
        if (verifyOnly)
            return Verify(path) ? 0 : 1;
        Stamp(path);
        return 0;
    } catch (const ConsistencyErr& error) {
        std::fprintf(stderr, "StampConsistencyDigest: %s: %s (error %lu)\n", path, error.what(), error.Code());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "StampConsistencyDigest: %s: %s\n", path, error.what());
        return 1;
    }
}
