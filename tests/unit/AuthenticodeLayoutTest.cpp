// What the integrity digest leaves out of a PE file, on small handmade PE32 and
// PE32+ headers: the checksum, the security entry and the certificate table
// only when that entry names a range ending at the end of the file; nothing at
// all in a file that is not such a PE file.
#include "package/AuthenticodeLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ConsistencyReferenceScan.h"
#include "HandmadePe.h"

// Printed by the failures' messages (found by argument-dependent lookup).
static std::ostream& operator<<(std::ostream& out, const FileRange& r)
{
    return out << "[" << r.offset << ", +" << r.size << ")";
}

[[maybe_unused]] static std::ostream& operator<<(std::ostream& out, const AuthenticodeLayout& l)
{
    return out << "{checksum " << l.checkSum << ", entry " << l.securityEntry << ", table " << l.certificateTable
               << "}";
}

namespace {

using handmade_pe::Bytes;
using handmade_pe::FieldsOf;
using handmade_pe::Kind;
using handmade_pe::Put16;
using handmade_pe::Put32;

constexpr Kind kKinds[] = {Kind::Pe32, Kind::Pe32Plus};

AuthenticodeLayout Layout(const Bytes& file) { return FindAuthenticodeLayout(file.data(), file.size()); }

// The layout as the plain reference marks it, byte by byte.
std::vector<bool> Marked(const AuthenticodeLayout& layout, std::size_t size)
{
    std::vector<bool> marked(size, false);
    for (const FileRange& r : {layout.checkSum, layout.securityEntry, layout.certificateTable})
        for (std::uint64_t i = r.offset; i < r.End(); ++i)
            marked[i] = true;
    return marked;
}

void ExpectLayout(const Bytes& file, const AuthenticodeLayout& expected, const std::string& why)
{
    const AuthenticodeLayout layout = Layout(file);
    EXPECT_EQ(layout, expected) << why;
    EXPECT_EQ(Marked(layout, file.size()), ReferenceLeftOut(file)) << why << ": the reference agrees";
}

void ExpectNotAPe(const Bytes& file, const std::string& why)
{
    ExpectLayout(file, AuthenticodeLayout{}, why + ": nothing left out");
    EXPECT_FALSE(Layout(file).IsPe()) << why;
}

AuthenticodeLayout Unsigned(Kind kind, std::size_t peOffset = 0x80)
{
    const handmade_pe::Fields f = FieldsOf(kind, peOffset);
    return {{f.checkSum, 4}, {f.securityEntry, 8}, {}};
}

TEST(AuthenticodeLayout, TheFieldsLieWhereEachOptionalHeaderPutsThem)
{
    // PE32: CheckSum 64 bytes into the optional header, the security entry at
    // 96 + 4 * 8; PE32+: the same CheckSum, the directories 16 bytes later.
    ExpectLayout(handmade_pe::File(Kind::Pe32, 1024), {{0x80 + 24 + 64, 4}, {0x80 + 24 + 128, 8}, {}}, "PE32");
    ExpectLayout(handmade_pe::File(Kind::Pe32Plus, 1024), {{0x80 + 24 + 64, 4}, {0x80 + 24 + 144, 8}, {}}, "PE32+");
    for (Kind kind : kKinds) {
        for (std::size_t peOffset : {0x40u, 0x80u, 0xE8u, 0x3000u}) {
            ExpectLayout(handmade_pe::File(kind, 0x4000, peOffset), Unsigned(kind, peOffset),
                         std::string(Name(kind)) + " headers at " + std::to_string(peOffset));
        }
    }
}

TEST(AuthenticodeLayout, TheTableIsLeftOutOnlyWhenItsRangeEndsAtTheEndOfTheFile)
{
    for (Kind kind : kKinds) {
        const std::string name = Name(kind);
        Bytes file = handmade_pe::File(kind, 2048);
        handmade_pe::Sign(file, kind, Bytes(600, 0x30));
        AuthenticodeLayout signedLayout = Unsigned(kind);
        signedLayout.certificateTable = {2048, 600};
        ExpectLayout(file, signedLayout, name + " signed");

        const std::size_t entry = FieldsOf(kind, 0x80).securityEntry;
        const auto withEntry = [&](std::uint32_t offset, std::uint32_t size) {
            Bytes changed = file;
            Put32(changed, entry, offset);
            Put32(changed, entry + 4, size);
            return changed;
        };
        Bytes appended = file;
        appended.push_back(0);
        ExpectLayout(appended, Unsigned(kind), name + ": a byte appended after the table");
        ExpectLayout(Bytes(file.begin(), file.end() - 1), Unsigned(kind), name + ": the table cut short");
        ExpectLayout(withEntry(2048 + 8, 600), Unsigned(kind), name + ": the offset moved, past the end");
        ExpectLayout(withEntry(2048 - 8, 600), Unsigned(kind), name + ": the offset moved, ending before the end");
        ExpectLayout(withEntry(2048, 0), Unsigned(kind), name + ": an empty table");
        ExpectLayout(withEntry(0xFFFFFFF0u, 2648 + 0x10), Unsigned(kind), name + ": an end past 4 GiB");
        ExpectLayout(withEntry(0, 2648), Unsigned(kind), name + ": a table over the whole file");
        ExpectLayout(withEntry(static_cast<std::uint32_t>(entry + 4), 2648 - entry - 4), Unsigned(kind),
                     name + ": a table starting inside the entry");

        // A table may start right behind the entry, or anywhere behind it.
        const std::uint32_t behind = static_cast<std::uint32_t>(entry + 8);
        AuthenticodeLayout longer = Unsigned(kind);
        longer.certificateTable = {behind, 2648 - behind};
        ExpectLayout(withEntry(behind, 2648 - behind), longer, name + ": a table right behind the entry");
        longer.certificateTable = {2047, 601};
        ExpectLayout(withEntry(2047, 601), longer, name + ": a table one byte longer, still ending at the end");
    }
}

TEST(AuthenticodeLayout, AFileThatIsNotSuchAPeFileHasNothingLeftOut)
{
    ExpectNotAPe({}, "an empty file");
    ExpectNotAPe(Bytes{'M', 'Z'}, "only MZ");
    for (Kind kind : kKinds) {
        const std::string name = Name(kind);
        const Bytes good = handmade_pe::File(kind, 1024);
        const handmade_pe::Fields f = FieldsOf(kind, 0x80);
        const auto changed = [&](auto change) {
            Bytes file = good;
            change(file);
            return file;
        };
        ExpectNotAPe(Bytes(good.begin(), good.begin() + 63), name + ": shorter than a DOS header");
        ExpectNotAPe(changed([](Bytes& b) { b[1] = 'X'; }), name + ": no MZ");
        ExpectNotAPe(changed([&](Bytes& b) { b[f.signature + 2] = 1; }), name + ": no PE\\0\\0");
        ExpectNotAPe(changed([&](Bytes& b) { Put16(b, f.magic, 0x107); }), name + ": a ROM image's magic");
        ExpectNotAPe(changed([](Bytes& b) { Put32(b, 0x3C, 1024); }), name + ": e_lfanew at the end of the file");
        ExpectNotAPe(changed([](Bytes& b) { Put32(b, 0x3C, 0xFFFFFFFFu); }), name + ": e_lfanew far outside");
        ExpectNotAPe(changed([](Bytes& b) { Put32(b, 0x3C, 0); }), name + ": e_lfanew at the DOS header");
        ExpectNotAPe(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(f.securityEntry + 7)),
                     name + ": the file ends inside the security entry");
        ExpectNotAPe(changed([&](Bytes& b) {
                         Put16(b, f.sizeOfOptionalHeader, static_cast<std::uint32_t>(f.securityEntry + 7 - f.magic));
                     }),
                     name + ": an optional header too small for the entry");
        ExpectNotAPe(changed([&](Bytes& b) { Put32(b, f.directoryCount, 4); }),
                     name + ": four data directories, none of them the security entry");

        // The smallest of each that still holds the entry.
        ExpectLayout(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(f.securityEntry + 8)),
                     Unsigned(kind), name + ": the file ends right behind the entry");
        ExpectLayout(changed([&](Bytes& b) {
                         Put16(b, f.sizeOfOptionalHeader, static_cast<std::uint32_t>(f.securityEntry + 8 - f.magic));
                     }),
                     Unsigned(kind), name + ": an optional header ending with the entry");
        ExpectLayout(changed([&](Bytes& b) { Put32(b, f.directoryCount, 5); }), Unsigned(kind),
                     name + ": five data directories");
    }
    // A PE32 magic with PE32+ offsets and the other way round: each is read by
    // its own magic, so the entry is elsewhere.
    Bytes mixed = handmade_pe::File(Kind::Pe32Plus, 1024);
    Put16(mixed, FieldsOf(Kind::Pe32Plus, 0x80).magic, 0x10B);
    ExpectLayout(mixed, Unsigned(Kind::Pe32), "a PE32+ file with a PE32 magic is read as PE32");
}

TEST(AuthenticodeLayout, HeadersReadInPiecesGiveTheSameLayout)
{
    // The scanner reads the DOS header and then kPeHeadersSize bytes at e_lfanew.
    for (Kind kind : kKinds) {
        Bytes file = handmade_pe::File(kind, 4096, 0x200);
        handmade_pe::Sign(file, kind, Bytes(64, 0x77), 0x200);
        const std::optional<std::uint32_t> peOffset = PeHeadersOffset(file.data(), kDosHeaderSize);
        ASSERT_EQ(peOffset, 0x200u);
        EXPECT_FALSE(PeHeadersOffset(file.data(), kDosHeaderSize - 1)) << "a DOS header cut short";
        const AuthenticodeLayout layout =
            FindAuthenticodeLayout(*peOffset, file.data() + *peOffset, kPeHeadersSize, file.size());
        EXPECT_EQ(layout, Layout(file));
        EXPECT_EQ(layout.certificateTable, (FileRange{4096, 64}));
        EXPECT_FALSE(FindAuthenticodeLayout(*peOffset, file.data() + *peOffset, FieldsOf(kind, 0).securityEntry + 7,
                                            file.size())
                         .IsPe())
            << Name(kind) << ": headers read up to the entry's last byte only";
    }
}

} // namespace
