// The digest scanner on any file: whether it finds a block, where, the stored
// digest and the computed one must equal the byte-by-byte reference search
// (ConsistencyReferenceScan.h). A found block, once stamped, must verify and
// differ from the file only in its digest.
//
// The file is a run of zero bytes (its length from the input) and then the
// input's bytes, so markers can sit on either side of a 16 KiB read.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "package/ConsistencyBlock.h"
#include "package/ConsistencyErr.h"
#include "package/ConsistencyFileAccess.h"
#include "package/ConsistencyFileScanner.h"
#include "tests/unit/ConsistencyReferenceScan.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kRead = ConsistencyFileScanner::kReadSize;

// The file in memory as the stdio stream the native scanner reads.
OwnedConsistencyFile OpenInMemory(Bytes& file, const char* mode)
{
    OwnedConsistencyFile stream(fmemopen(file.data(), file.size(), mode));
    FUZZ_CHECK(stream != nullptr);
    return stream;
}

ReferenceScanResult Scan(ConsistencyFileScanner& scanner)
{
    ReferenceScanResult result;
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

    const ReferenceScanResult expected = ReferenceScan(file);
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
    const ReferenceScanResult verified = Scan(verifier);
    FUZZ_CHECK(verified.found && verified.digestOffset == at && verified.computed == expected.computed);
    FUZZ_CHECK(verifier.DigestsEqual());
    return 0;
}
