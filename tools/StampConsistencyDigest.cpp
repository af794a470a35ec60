// Build step: stamps the SHA-1 digest into a finished installer executable and
// checks the result. Fails (exit code 1) when the file holds no digest block,
// when the block is not the program's own (two marker copies), when its first
// marker copy straddles a 16 KiB read of the installer's check, or when the
// stamped file does not verify. Prints where the block lies.
//
//   StampConsistencyDigest <executable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

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
                     DigestHex(scanner.ComputedDigest(), kConsistencyDigestSize)};
    while (place.start >= kConsistencyMarkerSize &&
           std::memcmp(bytes.data() + place.start - kConsistencyMarkerSize, kConsistencyMarker,
                       kConsistencyMarkerSize) == 0) {
        place.start -= kConsistencyMarkerSize;
        ++place.markerCopies;
    }
    return place;
}

void Stamp(const char* path)
{
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
    std::printf("%s: digest block at file offset 0x%llx (%zu marker copies), digest at 0x%llx: %s\n", path,
                static_cast<unsigned long long>(place.start), place.markerCopies,
                static_cast<unsigned long long>(place.digestOffset), place.digest.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: StampConsistencyDigest <executable>\n");
        return 2;
    }
    try {
        Stamp(argv[1]);
        return 0;
    } catch (const ConsistencyErr& error) {
        std::fprintf(stderr, "StampConsistencyDigest: %s: %s (error %lu)\n", argv[1], error.what(), error.Code());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "StampConsistencyDigest: %s: %s\n", argv[1], error.what());
        return 1;
    }
}
