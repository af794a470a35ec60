#pragma once
// Small handmade PE files for the tests of what the integrity digest leaves out
// of a signed file (package/AuthenticodeLayout.h): the DOS header, the "PE\0\0"
// signature, the file header and a PE32 or PE32+ optional header with its 16
// data directories, written from the PE format's offsets; and a stand-in for
// signing that changes what Authenticode signing changes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace handmade_pe {

using Bytes = std::vector<unsigned char>;

enum class Kind { Pe32, Pe32Plus };

inline const char* Name(Kind kind) { return kind == Kind::Pe32 ? "PE32" : "PE32+"; }

// File offsets of the fields, for headers at `peOffset` (e_lfanew).
struct Fields {
    std::size_t signature;            // "PE\0\0"
    std::size_t sizeOfOptionalHeader; // in the file header
    std::size_t magic;                // the optional header's first field
    std::size_t checkSum;
    std::size_t directoryCount;       // NumberOfRvaAndSizes
    std::size_t securityEntry;        // data directory 4: file offset, size
    std::size_t headersEnd;           // behind the 16 directories
};

inline Fields FieldsOf(Kind kind, std::size_t peOffset)
{
    const std::size_t optional = peOffset + 24;
    const std::size_t directories = optional + (kind == Kind::Pe32 ? 96 : 112);
    return {peOffset,
            peOffset + 20,
            optional,
            optional + 64,
            directories - 4,
            directories + 4 * 8,
            directories + 16 * 8};
}

inline void Put16(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}

inline void Put32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// The headers over the first bytes of `file` (which must be long enough):
// every other byte keeps its value. Unsigned: a checksum and an empty entry.
inline void PutHeaders(Bytes& file, Kind kind, std::size_t peOffset = 0x80)
{
    const Fields f = FieldsOf(kind, peOffset);
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, static_cast<std::uint32_t>(peOffset));
    Put32(file, f.signature, 0x00004550);
    Put16(file, f.signature + 4, kind == Kind::Pe32 ? 0x014C : 0x8664); // Machine
    Put16(file, f.sizeOfOptionalHeader, static_cast<std::uint32_t>(f.headersEnd - f.magic));
    Put16(file, f.magic, kind == Kind::Pe32 ? 0x10B : 0x20B);
    Put32(file, f.checkSum, 0x0001F00D);
    Put32(file, f.directoryCount, 16);
    Put32(file, f.securityEntry, 0);
    Put32(file, f.securityEntry + 4, 0);
}

// A PE file of `size` bytes: the headers, then `fill` bytes.
inline Bytes File(Kind kind, std::size_t size, std::size_t peOffset = 0x80, unsigned char fill = 0x5A)
{
    Bytes file(size, fill);
    PutHeaders(file, kind, peOffset);
    return file;
}

// What signing changes: a new checksum, the entry naming the table, and the
// table appended at the end of the file.
inline void Sign(Bytes& file, Kind kind, const Bytes& table, std::size_t peOffset = 0x80)
{
    const Fields f = FieldsOf(kind, peOffset);
    Put32(file, f.checkSum, 0x00C0FFEE);
    Put32(file, f.securityEntry, static_cast<std::uint32_t>(file.size()));
    Put32(file, f.securityEntry + 4, static_cast<std::uint32_t>(table.size()));
    file.insert(file.end(), table.begin(), table.end());
}

} // namespace handmade_pe
