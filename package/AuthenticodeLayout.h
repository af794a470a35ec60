#pragma once
// What Authenticode signing changes in a PE file, so that the integrity digest
// can leave exactly that out and a signed installer still passes its own check.
//
// Signing (osslsigncode, signtool) changes three places:
//   - the optional header's CheckSum (4 bytes), recomputed over the new file;
//   - the certificate-table entry of the data directories
//     (IMAGE_DIRECTORY_ENTRY_SECURITY, 8 bytes: file offset and size);
//   - the certificate table itself, appended at the end of the file.
// Authenticode's own hash leaves out the same three. The table is left out only
// while the entry names a non-empty range that starts behind the entry and ends
// exactly at the end of the file; otherwise its bytes stay covered, so bytes
// appended after a signature, or an entry pointing elsewhere, change the digest.
//
// A file that is not a PE32 or PE32+ file with a security entry (too short,
// no "MZ" or "PE\0\0", offsets outside the file, an unknown optional-header
// magic, an optional header or a directory count too small to hold the entry)
// has nothing left out: every byte is covered, as for any other file. The bytes
// that decide the layout (the DOS header's e_lfanew, the signature, the magic,
// the optional header's size, the directory count) always stay covered.
//
// Platform-free: the scanner reads the header bytes and hands them in.
#include <cstddef>
#include <cstdint>
#include <optional>

// A range of file offsets [offset, offset + size).
struct FileRange {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;

    std::uint64_t End() const { return offset + size; }
    bool operator==(const FileRange&) const = default;
};

struct AuthenticodeLayout {
    // All three are empty when the file is not such a PE file; the table is
    // empty too when the entry names no range ending at the end of the file.
    // In file order and disjoint.
    FileRange checkSum;
    FileRange securityEntry;
    FileRange certificateTable;

    bool IsPe() const { return checkSum.size != 0; }
    bool operator==(const AuthenticodeLayout&) const = default;
};

// The DOS header, at the file's start: its "MZ" and, at 0x3C, e_lfanew.
constexpr std::size_t kDosHeaderSize = 64;
// What is read at e_lfanew: the "PE\0\0" signature (4), the file header (20)
// and the optional header up to and including the security entry (PE32+: 152).
constexpr std::size_t kPeHeadersSize = 4 + 20 + 152;

// e_lfanew, when `dos` (the file's first `size` bytes) holds a whole DOS header
// that begins with "MZ"; otherwise nothing.
std::optional<std::uint32_t> PeHeadersOffset(const unsigned char* dos, std::size_t size);

// The layout of a file of `fileSize` bytes whose PE headers start at
// `peOffset`, from the `size` bytes read there (fewer than kPeHeadersSize when
// the file ends).
AuthenticodeLayout FindAuthenticodeLayout(std::uint64_t peOffset, const unsigned char* headers, std::size_t size,
                                          std::uint64_t fileSize);

// The same over a whole file in memory.
AuthenticodeLayout FindAuthenticodeLayout(const unsigned char* file, std::size_t size);
