#include "package/ConsistencyFileScanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "ConsistencyReferenceScan.h"
#include "HandmadePe.h"
#include "package/ConsistencyBlock.h"
#include "package/ConsistencyErr.h"
#include "package/ConsistencyFileAccess.h"
#include "package/FileConsistency.h"
#include "package/Sha1.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr size_t kRead = ConsistencyFileScanner::kReadSize;
constexpr size_t kMarker = kConsistencyMarkerSize;

// --- Building files ----------------------------------------------------------

Bytes Marker() { return Bytes(kConsistencyMarker, kConsistencyMarker + kMarker); }

Bytes Data(size_t size, unsigned seed = 1)
{
    Bytes bytes(size);
    std::mt19937 random(seed);
    for (unsigned char& b : bytes)
        b = static_cast<unsigned char>(random());
    return bytes;
}

Bytes Repeat(size_t size, unsigned char value) { return Bytes(size, value); }

// A block as the build leaves it: N marker copies, the 0xFF, an unstamped slot.
Bytes Block(size_t copies = 2, unsigned char slotByte = 0xFF)
{
    Bytes bytes(copies * kMarker + 1 + kConsistencySlotSize, slotByte);
    for (size_t i = 0; i < copies; ++i)
        std::memcpy(&bytes[i * kMarker], kConsistencyMarker, kMarker);
    bytes[copies * kMarker] = 0xFF;
    return bytes;
}

// The first `size` bytes of the installer's block.
Bytes CutBlock(size_t size)
{
    const Bytes block = Block(2);
    return Bytes(block.begin(), block.begin() + size);
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Data that brings the file to `offset`.
Bytes DataUpTo(const Bytes& before, size_t offset, unsigned seed = 7) { return Data(offset - before.size(), seed); }

std::string Sha1Hex(const Bytes& bytes)
{
    Sha1 sha1;
    sha1.Update(bytes.data(), bytes.size());
    unsigned char digest[Sha1::kDigestSize];
    sha1.Finish(digest);
    return DigestHex(digest, sizeof digest);
}

// The digest the stamp must hold: the whole file with the 32-byte slot cut out.
std::string SlotFreeDigest(const Bytes& file, std::uint64_t digestOffset)
{
    Bytes rest(file.begin(), file.begin() + digestOffset);
    rest.insert(rest.end(), file.begin() + digestOffset + kConsistencySlotSize, file.end());
    return Sha1Hex(rest);
}

// --- Files on disk ------------------------------------------------------------

class TempFile {
public:
    explicit TempFile(const Bytes& contents)
        : path_(testing::TempDir() + "consistency-" + std::to_string(++counter_) + ".bin")
    {
        Write(contents);
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* Path() const { return path_.c_str(); }

    void Write(const Bytes& contents) const
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
    }

    Bytes Read() const
    {
        std::ifstream in(path_, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

private:
    static inline int counter_ = 0;
    std::string path_;
};

struct Outcome {
    bool found = false;
    std::uint64_t digestOffset = 0;
    std::string computed;
    std::string stored;

    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o)
{
    return out << "{found " << o.found << ", digest offset " << o.digestOffset << ", computed " << o.computed
               << ", stored " << o.stored << "}";
}

Outcome Outcome_(const ConsistencyFileScanner& scanner, bool found)
{
    return {found, scanner.DigestOffset(), DigestHex(scanner.ComputedDigest(), kConsistencyDigestSize),
            found ? DigestHex(scanner.StoredDigest(), kConsistencyDigestSize) : ""};
}

Outcome ScanFile(const TempFile& file)
{
    unsigned long error = 0;
    const OwnedConsistencyFile handle = OpenConsistencyFile(file.Path(), false, error);
    EXPECT_TRUE(handle) << "error " << error;
    ConsistencyFileScanner scanner(handle.get());
    const bool found = scanner.Scan();
    return Outcome_(scanner, found);
}

Outcome ScanBytes(const Bytes& bytes) { return ScanFile(TempFile(bytes)); }

Outcome ReferenceOutcome(const Bytes& file)
{
    const ReferenceScanResult r = ReferenceScan(file);
    return {r.found, r.digestOffset, DigestHex(r.computed.data(), r.computed.size()),
            DigestHex(r.stored.data(), r.stored.size())};
}

// --- The block ----------------------------------------------------------------

TEST(ConsistencyBlock, IsTheMarkerTwiceThenTheLeadAndAnUnstampedSlot)
{
    EXPECT_EQ(static_cast<const void*>(kConsistencyMarker), static_cast<const void*>(&kConsistencyBlock))
        << "the marker constant is the block's first copy";
    const Bytes marker = Marker();
    EXPECT_EQ(DigestHex(marker.data(), 16), "5e5bc5b48f8e4e7fbce565f4f634e3f4");
    EXPECT_EQ(DigestHex(marker.data() + 32, 32), "ca82e1b66b904189bbf71d6710a8b676fb5d2055cd3e3a4b237fb3818837f760");
    EXPECT_EQ(DigestHex(marker.data() + 96, 16), "415333de189445c48a22bde9931bf8b6");
    // Each group is written twice in a row.
    EXPECT_EQ(0, std::memcmp(&marker[0], &marker[16], 16));
    EXPECT_EQ(0, std::memcmp(&marker[32], &marker[64], 32));
    EXPECT_EQ(0, std::memcmp(&marker[96], &marker[112], 16));

    const auto* raw = reinterpret_cast<const unsigned char*>(&kConsistencyBlock);
    EXPECT_EQ(Bytes(raw, raw + sizeof kConsistencyBlock), Block(2)) << "two copies, 0xFF, a slot of 0xFF";
}

TEST(ConsistencyErr, IsAStandardExceptionWithItsTextAndCode)
{
    static_assert(std::is_base_of_v<std::exception, ConsistencyErr>);
    const ConsistencyErr error("ConsistencyFileScanner::Scan() - ReadFile() failed (1)", 5);
    EXPECT_STREQ(error.what(), "ConsistencyFileScanner::Scan() - ReadFile() failed (1)");
    EXPECT_EQ(error.Code(), 5u);
}

// --- Where a block is recognised -----------------------------------------------

struct LayoutCase {
    const char* why;
    Bytes file;
    bool found;
    std::uint64_t digestOffset; // when found
};

std::vector<LayoutCase> Layouts()
{
    std::vector<LayoutCase> cases;
    const auto add = [&](const char* why, Bytes file, bool found, std::uint64_t offset = 0) {
        cases.push_back({why, std::move(file), found, offset});
    };

    add("the installer's block inside data", Concat({Data(1000), Block(2), Data(3000)}), true, 1000 + 257);
    add("one marker copy is a block too", Concat({Data(100), Block(1), Data(10)}), true, 100 + 129);
    add("three copies", Concat({Data(100), Block(3), Data(10)}), true, 100 + 385);
    add("a block at the very start", Concat({Block(2), Data(500)}), true, 257);
    add("a block that ends the file", Concat({Data(500), Block(2)}), true, 500 + 257);
    add("an empty file", {}, false);
    add("no marker at all", Data(40000), false);
    add("a marker that ends the file", Concat({Data(300), Marker()}), false);
    add("a marker followed by neither 0xFF nor a marker is data; the search goes on",
        Concat({Data(50), Marker(), Repeat(1, 'x'), Data(200), Block(2), Data(10)}), true,
        50 + 128 + 1 + 200 + 257);
    add("a marker followed by a partial marker is data",
        Concat({Data(50), Marker(), Bytes(kConsistencyMarker, kConsistencyMarker + 100), Data(200)}), false);

    // The 0xFF must be followed by the whole 32-byte slot.
    for (size_t tail : {0u, 1u, 20u, 31u})
        add("a block cut off less than 33 bytes after the last marker",
            Concat({Data(100), CutBlock(2 * kMarker + 1 + tail)}), false);
    add("exactly 33 bytes after the last marker", Concat({Data(100), CutBlock(2 * kMarker + 33)}), true, 100 + 257);

    Bytes first = Concat({Data(600), Block(2, 0x11)});
    add("a second block after the first is hashed as data", Concat({first, Data(70, 3), Block(2, 0x22), Data(5)}),
        true, 600 + 257);

    // Reads of the search run at 0, 16384, ...: a marker must lie wholly in one.
    Bytes head = Data(kRead - 64);
    add("a single marker straddling 16 KiB is not recognised", Concat({head, Block(1), Data(100)}), false);
    add("with two copies the second one, inside the next read, starts the block",
        Concat({head, Block(2), Data(100)}), true, kRead - 64 + 257);
    head = Data(kRead - 128);
    add("a marker ending exactly at 16 KiB; what follows is read again behind it",
        Concat({head, Block(1), Data(100)}), true, kRead - 128 + 129);
    add("a marker starting at 16 KiB", Concat({Data(kRead), Block(1), Data(100)}), true, kRead + 129);
    head = Data(2 * kRead - 150);
    add("0xFF and slot across the read grid: read again right behind the marker",
        Concat({head, Block(1), Data(100)}), true, 2 * kRead - 150 + 129);

    // A marker that is not a block still moves the reads: they restart behind it.
    Bytes decoy = Concat({Data(100), Marker(), Repeat(1, 'x')});
    add("behind a decoy marker the reads restart at 229, so a marker across 16 KiB lies in one read",
        Concat({decoy, DataUpTo(decoy, kRead - 64), Block(1), Data(100)}), true, kRead - 64 + 129);
    Bytes noDecoy = Data(229);
    add("the same file without the decoy: that marker straddles a read",
        Concat({noDecoy, DataUpTo(noDecoy, kRead - 64), Block(1), Data(100)}), false);
    return cases;
}

TEST(ConsistencyFileScanner, RecognisesBlocksWhereTheSearchFindsThem)
{
    for (const LayoutCase& c : Layouts()) {
        const Outcome outcome = ScanBytes(c.file);
        EXPECT_EQ(outcome.found, c.found) << c.why;
        EXPECT_EQ(outcome.digestOffset, c.found ? c.digestOffset : 0) << c.why;
        if (c.found)
            EXPECT_EQ(outcome.computed, SlotFreeDigest(c.file, c.digestOffset)) << c.why;
        else
            EXPECT_EQ(outcome.computed, Sha1Hex(c.file)) << c.why << ": without a block every byte is hashed";
        EXPECT_EQ(outcome, ReferenceOutcome(c.file)) << c.why;
    }
}

// Random files full of marker pieces, 0xFF bytes and markers near the 16 KiB
// grid: the fast search must give what the byte-by-byte search gives.
TEST(ConsistencyFileScanner, MatchesTheByteByByteSearchOnRandomFiles)
{
    std::mt19937 random(20240611);
    const auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    TempFile file({});
    int found = 0, notFound = 0, signedFiles = 0;
    for (int round = 0; round < 150; ++round) {
        Bytes bytes;
        const size_t pieces = 1 + pick(12);
        for (size_t p = 0; p < pieces; ++p) {
            switch (pick(7)) {
            case 0: { // data rich in the marker's first byte and 0xFF
                const size_t n = pick(3000);
                for (size_t i = 0; i < n; ++i) {
                    const size_t kind = pick(8);
                    bytes.push_back(kind == 0 ? kConsistencyMarker[0] : kind == 1 ? 0xFF
                                                                              : static_cast<unsigned char>(random()));
                }
                break;
            }
            case 1:
                bytes.insert(bytes.end(), kConsistencyMarker, kConsistencyMarker + kMarker);
                break;
            case 2: // a marker's beginning
                bytes.insert(bytes.end(), kConsistencyMarker, kConsistencyMarker + 1 + pick(kMarker - 1));
                break;
            case 3:
                bytes.push_back(0xFF);
                break;
            case 4: {
                const Bytes block = Block(1 + pick(3), static_cast<unsigned char>(random()));
                bytes.insert(bytes.end(), block.begin(), block.begin() + block.size() - pick(2) * pick(40));
                break;
            }
            case 5: { // up to just before the next 16 KiB boundary
                const size_t boundary = (bytes.size() / kRead + 1) * kRead;
                const size_t stop = boundary - std::min(boundary, 1 + pick(300));
                if (stop > bytes.size())
                    bytes.resize(stop, 0x5A);
                break;
            }
            default:
                bytes.resize(bytes.size() + pick(20000), static_cast<unsigned char>(random()));
                break;
            }
        }
        // Half the files are PE files, PE32 or PE32+, and half of those are
        // signed: their checksum, entry and table are left out.
        const handmade_pe::Kind kind = pick(2) ? handmade_pe::Kind::Pe32 : handmade_pe::Kind::Pe32Plus;
        const size_t peOffset = 0x40 + 8 * pick(64);
        const bool pe = pick(2) && bytes.size() >= handmade_pe::FieldsOf(kind, peOffset).headersEnd;
        if (pe) {
            handmade_pe::PutHeaders(bytes, kind, peOffset);
            if (pick(2)) {
                Bytes table(pick(3000), 0x30);
                const Bytes block = Block(1);
                if (table.size() >= block.size() + 40 && pick(2))
                    std::copy(block.begin(), block.end(), table.begin() + pick(40));
                handmade_pe::Sign(bytes, kind, table, peOffset);
                ++signedFiles;
            }
        }
        file.Write(bytes);
        const Outcome expected = ReferenceOutcome(bytes);
        ASSERT_EQ(ScanFile(file), expected) << "round " << round << ", " << bytes.size() << " bytes";
        ++(expected.found ? found : notFound);
    }
    // The generator must give both outcomes plenty of times.
    EXPECT_GT(found, 30);
    EXPECT_GT(notFound, 30);
    EXPECT_GT(signedFiles, 15);
}

// --- Stamping and verifying -------------------------------------------------------

TEST(FileConsistency, AStampedFileVerifiesAndStampingAgainWritesTheSameDigest)
{
    const Bytes original = Concat({Data(20000), Block(2), Data(30000)});
    TempFile file(original);
    EXPECT_FALSE(VerifyFileConsistency(file.Path())) << "the unstamped slot does not match";

    ApplyFileConsistencyDigest(file.Path());
    const Bytes stamped = file.Read();
    const std::uint64_t digestOffset = 20000 + 257;
    ASSERT_EQ(stamped.size(), original.size());
    EXPECT_EQ(DigestHex(&stamped[digestOffset], kConsistencyDigestSize), SlotFreeDigest(original, digestOffset));
    EXPECT_TRUE(std::equal(stamped.begin() + digestOffset + kConsistencyDigestSize, stamped.end(),
                           original.begin() + digestOffset + kConsistencyDigestSize))
        << "only the 20 digest bytes are written";
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + digestOffset, stamped.begin()));
    EXPECT_TRUE(VerifyFileConsistency(file.Path()));

    ApplyFileConsistencyDigest(file.Path());
    EXPECT_EQ(file.Read(), stamped);
}

void PutByte(ConsistencyFileHandle file, std::uint64_t offset, unsigned char value)
{
    unsigned long error = 0;
    ASSERT_TRUE(SeekConsistencyFile(file, offset, error));
    ASSERT_TRUE(WriteConsistencyFile(file, &value, 1, error));
}

TEST(FileConsistency, EveryByteOutsideTheSlotCountsAndTheFillerDoesNot)
{
    TempFile file(Concat({Data(300), Block(2), Data(200)}));
    ApplyFileConsistencyDigest(file.Path());
    const Bytes stamped = file.Read();
    const size_t digestOffset = 300 + 257;
    const size_t fillerOffset = digestOffset + kConsistencyDigestSize;

    unsigned long error = 0;
    const OwnedConsistencyFile handle = OpenConsistencyFile(file.Path(), true, error);
    ASSERT_TRUE(handle);
    ConsistencyFileScanner scanner(handle.get());
    for (size_t at = 0; at < stamped.size(); ++at) {
        PutByte(handle.get(), at, static_cast<unsigned char>(stamped[at] ^ 0x01));
        const bool verifies = scanner.Scan() && scanner.DigestsEqual();
        const bool inFiller = at >= fillerOffset && at < digestOffset + kConsistencySlotSize;
        // Markers, the 0xFF, data before and after, and the digest itself all count.
        EXPECT_EQ(verifies, inFiller) << "byte " << at << " changed";
        PutByte(handle.get(), at, stamped[at]);
    }
    EXPECT_TRUE(scanner.Scan() && scanner.DigestsEqual());
}

TEST(FileConsistency, StampingAFileWithoutABlockFailsAndLeavesItUnchanged)
{
    const Bytes withoutBlock[] = {
        Data(5000),
        {},
        Concat({Data(100), CutBlock(2 * kMarker + 1 + 31)}),                        // cut off
        Concat({Data(kRead - 64), Block(1), Data(100)}),                           // marker across 16 KiB
    };
    for (const Bytes& original : withoutBlock) {
        TempFile file(original);
        try {
            ApplyFileConsistencyDigest(file.Path());
            ADD_FAILURE() << "stamped a file of " << original.size() << " bytes without a block";
        } catch (const ConsistencyErr& error) {
            EXPECT_STREQ(error.what(), "A consistency marker could not be found in the file");
            EXPECT_EQ(error.Code(), 0u);
        }
        EXPECT_EQ(file.Read(), original);
        EXPECT_FALSE(VerifyFileConsistency(file.Path()));
    }
}

// --- Signed PE files -------------------------------------------------------------------

using handmade_pe::Kind;
constexpr Kind kPeKinds[] = {Kind::Pe32, Kind::Pe32Plus};
constexpr size_t kPeBlock = 1000; // where the handmade PE files hold their block

// A handmade PE file with the installer's block inside, stamped.
Bytes StampedPe(Kind kind)
{
    Bytes file = Concat({handmade_pe::File(kind, kPeBlock), Block(2), Data(300)});
    TempFile temp(file);
    ApplyFileConsistencyDigest(temp.Path());
    return temp.Read();
}

// A certificate table as a signature's: anything, here markers and a block too.
Bytes Table() { return Concat({Data(100, 9), Block(2, 0x44), Marker(), Data(100, 10)}); }

bool Verifies(const Bytes& file)
{
    TempFile temp(file);
    return VerifyFileConsistency(temp.Path());
}

TEST(FileConsistency, ASignedPeFileStillVerifiesWithTheDigestStampedBeforeSigning)
{
    for (Kind kind : kPeKinds) {
        const Bytes stamped = StampedPe(kind);
        const handmade_pe::Fields f = handmade_pe::FieldsOf(kind, 0x80);
        ASSERT_TRUE(Verifies(stamped)) << Name(kind);
        Bytes signedFile = stamped;
        handmade_pe::Sign(signedFile, kind, Table());
        EXPECT_TRUE(Verifies(signedFile)) << Name(kind);

        TempFile file(signedFile);
        const Outcome outcome = ScanFile(file);
        EXPECT_EQ(outcome, ReferenceOutcome(signedFile)) << Name(kind);
        EXPECT_EQ(outcome.digestOffset, kPeBlock + 257) << Name(kind) << ": the table's block is not the one";
        // What the digest covers: the file less the checksum, the entry, the slot and the table.
        Bytes covered(signedFile.begin(), signedFile.begin() + static_cast<std::ptrdiff_t>(stamped.size()));
        covered.erase(covered.begin() + kPeBlock + 257, covered.begin() + kPeBlock + 257 + kConsistencySlotSize);
        covered.erase(covered.begin() + f.securityEntry, covered.begin() + f.securityEntry + 8);
        covered.erase(covered.begin() + f.checkSum, covered.begin() + f.checkSum + 4);
        EXPECT_EQ(outcome.computed, Sha1Hex(covered)) << Name(kind);

        // Stamping the signed file again writes the same digest.
        ApplyFileConsistencyDigest(file.Path());
        EXPECT_EQ(file.Read(), signedFile) << Name(kind);

        // Taking the signature off again (the entry emptied, the table cut off)
        // gives a file that verifies too.
        Bytes unsignedAgain(signedFile.begin(), signedFile.begin() + static_cast<std::ptrdiff_t>(stamped.size()));
        handmade_pe::Put32(unsignedAgain, f.securityEntry, 0);
        handmade_pe::Put32(unsignedAgain, f.securityEntry + 4, 0);
        EXPECT_TRUE(Verifies(unsignedAgain)) << Name(kind);
    }
}

// Each byte changed in turn: only the checksum, the table (while the entry
// names it) and the filler may change; in the unsigned file the entry too.
TEST(FileConsistency, InAPeFileEveryByteCountsButWhatSigningChangesAndTheFiller)
{
    for (Kind kind : kPeKinds) {
        const handmade_pe::Fields f = handmade_pe::FieldsOf(kind, 0x80);
        const size_t filler = kPeBlock + 257 + kConsistencyDigestSize;
        const Bytes stamped = StampedPe(kind);
        Bytes signedFile = stamped;
        handmade_pe::Sign(signedFile, kind, Table());
        for (const bool isSigned : {false, true}) {
            const Bytes& original = isSigned ? signedFile : stamped;
            TempFile file(original);
            unsigned long error = 0;
            const OwnedConsistencyFile handle = OpenConsistencyFile(file.Path(), true, error);
            ASSERT_TRUE(handle);
            ConsistencyFileScanner scanner(handle.get());
            for (size_t at = 0; at < original.size(); ++at) {
                PutByte(handle.get(), at, static_cast<unsigned char>(original[at] ^ 0x01));
                const bool verifies = scanner.Scan() && scanner.DigestsEqual();
                const bool mayChange = (at >= f.checkSum && at < f.checkSum + 4) ||
                                       (at >= filler && at < filler + kConsistencySlotSize - kConsistencyDigestSize) ||
                                       (!isSigned && at >= f.securityEntry && at < f.securityEntry + 8) ||
                                       (isSigned && at >= stamped.size());
                ASSERT_EQ(verifies, mayChange) << Name(kind) << (isSigned ? " signed" : " unsigned") << ", byte "
                                               << at << " changed";
                PutByte(handle.get(), at, original[at]);
            }
            EXPECT_TRUE(scanner.Scan() && scanner.DigestsEqual());
        }
    }
}

TEST(FileConsistency, ASignedPeFileWithBytesAppendedOrItsEntryPointingElsewhereFails)
{
    for (Kind kind : kPeKinds) {
        const handmade_pe::Fields f = handmade_pe::FieldsOf(kind, 0x80);
        const Bytes stamped = StampedPe(kind);
        Bytes signedFile = stamped;
        handmade_pe::Sign(signedFile, kind, Table());
        ASSERT_TRUE(Verifies(signedFile));
        const auto withEntry = [&](size_t offset, size_t size) {
            Bytes changed = signedFile;
            handmade_pe::Put32(changed, f.securityEntry, static_cast<std::uint32_t>(offset));
            handmade_pe::Put32(changed, f.securityEntry + 4, static_cast<std::uint32_t>(size));
            return changed;
        };
        const size_t table = signedFile.size() - stamped.size();
        const std::pair<Bytes, const char*> cases[] = {
            {Concat({signedFile, Repeat(1, 0)}), "a byte appended after the signature"},
            {Concat({signedFile, Repeat(8, 0)}), "eight zero bytes appended"},
            {Concat({signedFile, Table()}), "a second table appended"},
            {withEntry(stamped.size() + 8, table), "the offset moved: the range ends past the file"},
            {withEntry(stamped.size() + 8, table - 8), "the offset moved and the size shortened to match"},
            {withEntry(stamped.size() - 8, table + 8), "the range reaching into the covered bytes before"},
            {withEntry(stamped.size(), table - 1), "the size shortened"},
            {withEntry(0, 0), "the entry emptied, the table left"},
            {Bytes(signedFile.begin(), signedFile.end() - 1), "the table cut short"},
        };
        for (const auto& [file, why] : cases) {
            EXPECT_FALSE(Verifies(file)) << Name(kind) << ": " << why;
            EXPECT_EQ(ScanBytes(file), ReferenceOutcome(file)) << Name(kind) << ": " << why;
        }
    }
}

// A file whose PE headers are broken is hashed whole, slot aside, like any
// other file: its checksum and entry count.
TEST(FileConsistency, AFileWithBrokenPeHeadersIsHashedWithNothingLeftOut)
{
    for (Kind kind : kPeKinds) {
        const handmade_pe::Fields f = handmade_pe::FieldsOf(kind, 0x80);
        const std::pair<std::function<void(Bytes&)>, const char*> breaks[] = {
            {[](Bytes& b) { b[0] = 'N'; }, "no MZ"},
            {[](Bytes& b) { handmade_pe::Put32(b, 0x3C, 0xFFFFFF00u); }, "e_lfanew far outside the file"},
            {[](Bytes& b) { handmade_pe::Put32(b, 0x3C, static_cast<std::uint32_t>(b.size() - 10)); },
             "headers cut off by the end of the file"},
            {[&](Bytes& b) { b[f.signature] = 'Q'; }, "no PE signature"},
            {[&](Bytes& b) { handmade_pe::Put16(b, f.magic, 0x30B); }, "an unknown magic"},
            {[&](Bytes& b) { handmade_pe::Put16(b, f.sizeOfOptionalHeader, 0); }, "no optional header"},
            {[&](Bytes& b) { handmade_pe::Put32(b, f.directoryCount, 0); }, "no data directories"},
        };
        for (const auto& [breakIt, why] : breaks) {
            Bytes file = Concat({handmade_pe::File(kind, kPeBlock), Block(2), Data(300)});
            handmade_pe::Sign(file, kind, Table());
            breakIt(file);
            const Outcome outcome = ScanBytes(file);
            ASSERT_TRUE(outcome.found) << why;
            EXPECT_EQ(outcome.computed, SlotFreeDigest(file, kPeBlock + 257)) << Name(kind) << ": " << why;
            EXPECT_EQ(outcome, ReferenceOutcome(file)) << Name(kind) << ": " << why;

            // Stamped as it is, it verifies; its checksum then counts.
            TempFile temp(file);
            ApplyFileConsistencyDigest(temp.Path());
            Bytes stamped = temp.Read();
            EXPECT_TRUE(Verifies(stamped)) << why;
            stamped[f.checkSum] ^= 0x01;
            EXPECT_FALSE(Verifies(stamped)) << Name(kind) << ": " << why << ", the checksum changed";
        }
    }
}

// --- System failures ------------------------------------------------------------------

template <typename Call>
void ExpectConsistencyErr(Call call, const char* text, const char* why)
{
    try {
        call();
        ADD_FAILURE() << why << ": no exception";
    } catch (const ConsistencyErr& error) {
        EXPECT_STREQ(error.what(), text) << why;
        EXPECT_NE(error.Code(), 0u) << why << ": the system's code is kept";
    }
}

// A handle that allows writing only, so that reading fails.
OwnedConsistencyFile OpenWriteOnly(const char* path)
{
#ifdef _WIN32
    return OwnedConsistencyFile(
        CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
#else
    return OwnedConsistencyFile(std::fopen(path, "ab"));
#endif
}

TEST(FileConsistency, SystemFailuresRaiseConsistencyErrWithTheirTexts)
{
    const std::string missing = testing::TempDir() + "no-such-installer.exe";
    ExpectConsistencyErr([&] { VerifyFileConsistency(missing.c_str()); },
                         "VerifyModuleFileConsistency() - CreateFile() failed", "verifying a missing file");
    ExpectConsistencyErr([&] { ApplyFileConsistencyDigest(missing.c_str()); },
                         "ApplyFileConsistencyDigest() - CreateFile() failed", "stamping a missing file");

    const Bytes original = Concat({Data(100), Block(2)});
    TempFile file(original);
    {
        const OwnedConsistencyFile writeOnly = OpenWriteOnly(file.Path());
        ASSERT_TRUE(writeOnly);
        ConsistencyFileScanner scanner(writeOnly.get());
        // The first read is of the PE headers.
        ExpectConsistencyErr([&] { scanner.Scan(); }, "ConsistencyFileScanner::Scan() - ReadFile() failed (headers)",
                             "a handle that cannot read");
    }
    {
        unsigned long error = 0;
        const OwnedConsistencyFile readOnly = OpenConsistencyFile(file.Path(), false, error);
        ASSERT_TRUE(readOnly);
        ConsistencyFileScanner scanner(readOnly.get());
        ASSERT_TRUE(scanner.Scan());
        ExpectConsistencyErr([&] { scanner.Apply(); }, "ConsistencyFileScanner::Apply() - WriteFile() failed",
                             "a handle that cannot write");
    }
    EXPECT_EQ(file.Read(), original);
}

TEST(ConsistencyFileScanner, ApplyWithoutAFoundBlockWritesNothing)
{
    // The digest offset is 0 then: writing there would damage the file's start.
    const Bytes original = Data(1000);
    TempFile file(original);
    unsigned long error = 0;
    const OwnedConsistencyFile handle = OpenConsistencyFile(file.Path(), true, error);
    ASSERT_TRUE(handle);
    ConsistencyFileScanner scanner(handle.get());
    for (bool scanFirst : {false, true}) {
        if (scanFirst) {
            EXPECT_FALSE(scanner.Scan());
        }
        try {
            scanner.Apply();
            ADD_FAILURE() << "applied without a block";
        } catch (const ConsistencyErr& error) {
            EXPECT_STREQ(error.what(), "A consistency marker could not be found in the file");
        }
    }
    EXPECT_EQ(file.Read(), original);
}

#ifdef _WIN32
TEST(VerifyModuleFileConsistency, ModulesWithoutAStampedBlockFail)
{
    EXPECT_FALSE(VerifyModuleFileConsistency(GetModuleHandleA("kernel32.dll"))) << "no block at all";
    EXPECT_FALSE(VerifyModuleFileConsistency(nullptr)) << "this test program holds the block, unstamped";
}
#endif

} // namespace
