// The digest scanner on any file: whether it finds a block, where, the stored
// digest and the computed one must equal a scan that walks the file one byte at
// a time through the same 16 KiB reads (ConsistencyBlock.h). A found block,
// once stamped, must verify and differ from the file only in its digest.
//
// The file is a run of zero bytes (its length from the input) and then the
// input's bytes, so markers can sit on either side of a 16 KiB read.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "package/ConsistencyBlock.h"
#include "package/ConsistencyErr.h"
#include "package/ConsistencyFileAccess.h"
#include "package/ConsistencyFileScanner.h"
#include "package/Sha1.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Digest = std::vector<unsigned char>;

constexpr std::size_t kRead = ConsistencyFileScanner::kReadSize;
constexpr std::size_t kMarker = kConsistencyMarkerSize;
constexpr std::size_t kLeadAndSlot = 1 + kConsistencySlotSize;

struct ScanResult {
    bool found = false;
    std::uint64_t digestOffset = 0;
    Digest stored = Digest(kConsistencyDigestSize);
    Digest computed;

    bool operator==(const ScanResult&) const = default;
};

Digest Sha1Of(const Bytes& bytes)
{
    unsigned char digest[Sha1::kDigestSize];
    Sha1 sha1;
    sha1.Update(bytes.data(), bytes.size());
    sha1.Finish(digest);
    return Digest(digest, digest + sizeof digest);
}

// The search, byte by byte. `hashed` collects every byte outside the slot.
ScanResult Reference(const Bytes& file)
{
    ScanResult result;
    Bytes hashed;
    enum { Searching, AfterMarker, Found } state = Searching;
    std::size_t position = 0;  // file offset of buffer[at]
    std::size_t readFrom = 0;
    auto read = [&file, &readFrom] {
        const std::size_t end = std::min(file.size(), readFrom + kRead);
        Bytes buffer(file.begin() + readFrom, file.begin() + end);
        readFrom = end;
        return buffer;
    };
    auto markerAt = [](const Bytes& buffer, std::size_t at) {
        return buffer.size() - at >= kMarker && std::memcmp(&buffer[at], kConsistencyMarker, kMarker) == 0;
    };
    for (Bytes buffer = read(); !buffer.empty(); buffer = read()) {
        for (std::size_t at = 0; at < buffer.size();) {
            if (state == Searching && markerAt(buffer, at)) {
                hashed.insert(hashed.end(), &buffer[at], &buffer[at] + kMarker);
                position += kMarker;
                readFrom = position;
                buffer = read();
                at = 0;
                state = AfterMarker;
            } else if (state == Searching) {
                hashed.push_back(buffer[at++]);
                ++position;
            } else if (state == AfterMarker && buffer.size() - at < kLeadAndSlot) {
                state = Searching;
            } else if (state == AfterMarker && buffer[at] == kConsistencyDigestLead) {
                hashed.push_back(buffer[at]);
                std::copy_n(&buffer[at + 1], kConsistencyDigestSize, result.stored.begin());
                result.digestOffset = position + 1;
                result.found = true;
                at += kLeadAndSlot;
                position += kLeadAndSlot;
                state = Found;
            } else if (state == AfterMarker && markerAt(buffer, at)) {
                hashed.insert(hashed.end(), &buffer[at], &buffer[at] + kMarker);
                at += kMarker;
                position += kMarker;
            } else if (state == AfterMarker) {
                state = Searching;
            } else {
                hashed.push_back(buffer[at++]);
                ++position;
            }
        }
    }
    result.computed = Sha1Of(hashed);
    return result;
}

// The file in memory as the stdio stream the native scanner reads.
OwnedConsistencyFile OpenInMemory(Bytes& file, const char* mode)
{
    OwnedConsistencyFile stream(fmemopen(file.data(), file.size(), mode));
    FUZZ_CHECK(stream != nullptr);
    return stream;
}

ScanResult Scan(ConsistencyFileScanner& scanner)
{
    ScanResult result;
    result.found = scanner.Scan();
    result.digestOffset = scanner.DigestOffset();
    if (result.found)
        result.stored.assign(scanner.StoredDigest(), scanner.StoredDigest() + kConsistencyDigestSize);
    result.computed.assign(scanner.ComputedDigest(), scanner.ComputedDigest() + kConsistencyDigestSize);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Bytes file(input.ConsumeIntegralInRange<std::size_t>(0, 3 * kRead));
    const Bytes body = input.ConsumeRemainingBytes<unsigned char>();
    file.insert(file.end(), body.begin(), body.end());

    const ScanResult expected = Reference(file);
    Bytes stamped = file;
    const OwnedConsistencyFile stream = OpenInMemory(stamped, "r+b");
    ConsistencyFileScanner scanner(stream.get());
    FUZZ_CHECK(Scan(scanner) == expected);

    if (!expected.found) {
        try {
            scanner.Apply();
            FUZZ_CHECK(!"Apply without a block must fail");
        } catch (const ConsistencyErr& e) {
            FUZZ_CHECK(std::string(e.what()) == "A consistency marker could not be found in the file");
        }
        FUZZ_CHECK(stamped == file);
        return 0;
    }
    scanner.Apply();
    std::fflush(stream.get());
    const std::size_t at = expected.digestOffset;
    FUZZ_CHECK(std::equal(stamped.begin() + at, stamped.begin() + at + kConsistencyDigestSize,
                          expected.computed.begin()));
    std::copy_n(file.begin() + at, kConsistencyDigestSize, stamped.begin() + at);
    FUZZ_CHECK(stamped == file);

    // The stamped file verifies, with the same digest.
    std::copy_n(expected.computed.begin(), kConsistencyDigestSize, stamped.begin() + at);
    const OwnedConsistencyFile again = OpenInMemory(stamped, "rb");
    ConsistencyFileScanner verifier(again.get());
    const ScanResult verified = Scan(verifier);
    FUZZ_CHECK(verified.found && verified.digestOffset == at && verified.computed == expected.computed);
    FUZZ_CHECK(verifier.DigestsEqual());
    return 0;
}
