// The digest scanner on any file: whether it finds a block, where, the stored
// digest and the computed one must equal the byte-by-byte reference search
// (ConsistencyReferenceScan.h), and what it leaves out of a PE file (the
// checksum, the security entry, the certificate table ending at the file's end)
// must equal the reference's field-by-field reading. A found block, once
// stamped, must verify and differ from the file only in its digest; a stamped
// PE file, once "signed" (a new checksum, the entry naming a table appended at
// the end), must still verify with the same digest, and no longer once a byte
// is appended after the table.
//
// The file is: optionally handmade PE headers (PE32 or PE32+, some field
// replaced by any value, the security entry naming a table that ends at the
// end of the file or anything else), then a run of zero bytes (its length from
// the input), then the input's bytes, so markers can sit on either side of a
// 16 KiB read. Choices come from the input's end, in this order: the zero run's
// length (2 bytes), the layout byte, then what the layout byte asks for.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "package/AuthenticodeLayout.h"
#include "package/ConsistencyBlock.h"
#include "package/ConsistencyErr.h"
#include "package/ConsistencyFileAccess.h"
#include "package/ConsistencyFileScanner.h"
#include "tests/unit/ConsistencyReferenceScan.h"
#include "tests/unit/HandmadePe.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kRead = ConsistencyFileScanner::kReadSize;

// The layout byte.
constexpr unsigned kPeHeaders = 3;      // 0 or 3: none; 1: PE32; 2: PE32+
constexpr unsigned kReplaceField = 4;   // a header field takes any value
constexpr unsigned kTableToEnd = 8;     // the entry names a table ending at the file's end
constexpr unsigned kAnyEntry = 16;      // the entry takes any value (without kTableToEnd)

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

// What the scanner left out of the file it scanned equals the reference's
// field-by-field reading.
void CheckLayout(const ConsistencyFileScanner& scanner, const Bytes& file)
{
    std::vector<bool> leftOut(file.size(), false);
    const AuthenticodeLayout& layout = scanner.Layout();
    for (const FileRange& r : {layout.checkSum, layout.securityEntry, layout.certificateTable}) {
        FUZZ_CHECK(r.End() <= file.size());
        std::fill(leftOut.begin() + r.offset, leftOut.begin() + r.End(), true);
    }
    FUZZ_CHECK(leftOut == ReferenceLeftOut(file));
}

// A scan of the file in memory by the scanner alone, its layout checked.
ReferenceScanResult ScanInMemory(Bytes& file)
{
    const OwnedConsistencyFile stream = OpenInMemory(file, "rb");
    ConsistencyFileScanner scanner(stream.get());
    const ReferenceScanResult result = Scan(scanner);
    CheckLayout(scanner, file);
    return result;
}

struct Headers {
    Bytes bytes;
    handmade_pe::Kind kind = handmade_pe::Kind::Pe32;
    std::size_t peOffset = 0;
    bool tableToEnd = false;
    std::uint32_t tableSize = 0;
};

// The handmade headers the layout byte asks for; none when it asks for none.
Headers MakeHeaders(unsigned layout, FuzzedDataProvider& input)
{
    Headers h;
    if ((layout & kPeHeaders) == 0 || (layout & kPeHeaders) == 3)
        return h;
    h.kind = (layout & kPeHeaders) == 1 ? handmade_pe::Kind::Pe32 : handmade_pe::Kind::Pe32Plus;
    h.peOffset = 0x40 + 4 * input.ConsumeIntegral<std::uint8_t>();
    const handmade_pe::Fields f = handmade_pe::FieldsOf(h.kind, h.peOffset);
    h.bytes.assign(f.headersEnd, 0);
    handmade_pe::PutHeaders(h.bytes, h.kind, h.peOffset);
    if (layout & kReplaceField) {
        const std::size_t fields[] = {0x3C, f.signature, f.sizeOfOptionalHeader, f.magic, f.directoryCount};
        const std::size_t at = fields[input.ConsumeIntegralInRange<std::size_t>(0, std::size(fields) - 1)];
        const std::uint32_t value = input.ConsumeIntegral<std::uint32_t>();
        if (at == f.sizeOfOptionalHeader || at == f.magic)
            handmade_pe::Put16(h.bytes, at, value);
        else
            handmade_pe::Put32(h.bytes, at, value);
    }
    if (layout & kTableToEnd) {
        h.tableToEnd = true;
        h.tableSize = input.ConsumeIntegralInRange<std::uint32_t>(0, 2 * kRead);
    } else if (layout & kAnyEntry) {
        handmade_pe::Put32(h.bytes, f.securityEntry, input.ConsumeIntegral<std::uint32_t>());
        handmade_pe::Put32(h.bytes, f.securityEntry + 4, input.ConsumeIntegral<std::uint32_t>());
    }
    return h;
}

// Signing as far as the check is concerned, on a stamped PE file without a
// table: the stamped digest still verifies; a byte appended after the table
// makes it fail.
void CheckSigning(const Bytes& stamped, const ReferenceScanResult& stampedScan)
{
    const AuthenticodeLayout layout = FindAuthenticodeLayout(stamped.data(), stamped.size());
    if (!layout.IsPe() || layout.certificateTable.size != 0 || stamped.size() > 0xFFFFFFFFu)
        return;
    Bytes signedFile = stamped;
    const std::uint32_t checkSum = 0xC0FFEE00u ^ static_cast<std::uint32_t>(stamped.size());
    handmade_pe::Put32(signedFile, layout.checkSum.offset, checkSum);
    handmade_pe::Put32(signedFile, layout.securityEntry.offset, static_cast<std::uint32_t>(stamped.size()));
    const Bytes table(1 + stamped.size() % 700, static_cast<unsigned char>(stamped.size()));
    handmade_pe::Put32(signedFile, layout.securityEntry.offset + 4, static_cast<std::uint32_t>(table.size()));
    signedFile.insert(signedFile.end(), table.begin(), table.end());

    // What signing changed is left out. The search may find another block
    // first (the new fields could complete a marker of their own); the main
    // check compares the search with the reference on signed files already.
    const ReferenceScanResult signedScan = ScanInMemory(signedFile);
    if (!signedScan.found || signedScan.digestOffset != stampedScan.digestOffset)
        return;
    FUZZ_CHECK(signedScan.computed == stampedScan.computed);
    FUZZ_CHECK(signedScan.stored == stampedScan.stored);

    signedFile.push_back(0);
    const ReferenceScanResult appended = ScanInMemory(signedFile);
    FUZZ_CHECK(appended.computed != stampedScan.computed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::size_t zeros = input.ConsumeIntegralInRange<std::size_t>(0, 3 * kRead);
    const unsigned layoutByte = input.ConsumeIntegral<std::uint8_t>();
    const Headers headers = MakeHeaders(layoutByte, input);
    Bytes file = headers.bytes;
    file.resize(file.size() + zeros);
    const Bytes body = input.ConsumeRemainingBytes<unsigned char>();
    file.insert(file.end(), body.begin(), body.end());
    if (headers.tableToEnd && headers.tableSize <= file.size()) {
        const handmade_pe::Fields f = handmade_pe::FieldsOf(headers.kind, headers.peOffset);
        handmade_pe::Put32(file, f.securityEntry, static_cast<std::uint32_t>(file.size() - headers.tableSize));
        handmade_pe::Put32(file, f.securityEntry + 4, headers.tableSize);
    }

    const ReferenceScanResult expected = ReferenceScan(file);
    Bytes stamped = file;
    const OwnedConsistencyFile stream = OpenInMemory(stamped, "r+b");
    ConsistencyFileScanner scanner(stream.get());
    FUZZ_CHECK(Scan(scanner) == expected);
    CheckLayout(scanner, file);

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

    CheckSigning(stamped, verified);
    return 0;
}
