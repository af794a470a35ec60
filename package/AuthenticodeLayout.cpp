#include "AuthenticodeLayout.h"

namespace {

constexpr std::size_t kPeOffsetField = 0x3C; // e_lfanew in the DOS header

// Offsets from the start of the PE headers (the "PE\0\0" signature).
constexpr std::size_t kSizeOfOptionalHeaderField = 4 + 16; // in the file header
constexpr std::size_t kOptionalHeader = 4 + 20;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;

// Offsets inside the optional header, which differ only after the image base
// (4 bytes in PE32, 8 in PE32+, and BaseOfData in PE32 only).
constexpr std::size_t kCheckSumField = 64;
constexpr std::size_t kSecurityEntryIndex = 4; // IMAGE_DIRECTORY_ENTRY_SECURITY
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::uint64_t kCheckSumSize = 4;

struct OptionalHeaderShape {
    std::size_t directoryCountField; // NumberOfRvaAndSizes
    std::size_t directories;         // the first data directory entry
};

std::uint32_t Read16(const unsigned char* p) { return p[0] | p[1] << 8; }

std::uint32_t Read32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::optional<OptionalHeaderShape> ShapeOf(std::uint32_t magic)
{
    if (magic == kPe32Magic)
        return OptionalHeaderShape{92, 96};
    if (magic == kPe32PlusMagic)
        return OptionalHeaderShape{108, 112};
    return std::nullopt;
}

// The certificate table named by the security entry, when it is a range that
// starts behind the entry and ends exactly at the end of the file.
FileRange CertificateTable(const unsigned char* entry, std::uint64_t entryEnd, std::uint64_t fileSize)
{
    const FileRange table{Read32(entry), Read32(entry + 4)};
    if (table.size == 0 || table.offset < entryEnd || table.End() != fileSize)
        return {};
    return table;
}

} // namespace

std::optional<std::uint32_t> PeHeadersOffset(const unsigned char* dos, std::size_t size)
{
    if (size < kDosHeaderSize || dos[0] != 'M' || dos[1] != 'Z')
        return std::nullopt;
    return Read32(dos + kPeOffsetField);
}

AuthenticodeLayout FindAuthenticodeLayout(std::uint64_t peOffset, const unsigned char* headers, std::size_t size,
                                          std::uint64_t fileSize)
{
    if (size < kOptionalHeader + 2 || Read32(headers) != 0x00004550) // "PE\0\0"
        return {};
    const std::optional<OptionalHeaderShape> shape = ShapeOf(Read16(headers + kOptionalHeader));
    if (!shape)
        return {};
    const std::size_t entry = shape->directories + kSecurityEntryIndex * kDirectoryEntrySize;
    const std::size_t entryEnd = kOptionalHeader + entry + kDirectoryEntrySize;
    // The entry must lie inside the bytes read, inside the file, inside the
    // optional header as its size says, and among the directories it counts.
    if (size < entryEnd || peOffset + entryEnd > fileSize ||
        Read16(headers + kSizeOfOptionalHeaderField) < entry + kDirectoryEntrySize ||
        Read32(headers + kOptionalHeader + shape->directoryCountField) <= kSecurityEntryIndex)
        return {};

    AuthenticodeLayout layout;
    layout.checkSum = {peOffset + kOptionalHeader + kCheckSumField, kCheckSumSize};
    layout.securityEntry = {peOffset + kOptionalHeader + entry, kDirectoryEntrySize};
    layout.certificateTable = CertificateTable(headers + kOptionalHeader + entry, peOffset + entryEnd, fileSize);
    return layout;
}

AuthenticodeLayout FindAuthenticodeLayout(const unsigned char* file, std::size_t size)
{
    const std::optional<std::uint32_t> peOffset = PeHeadersOffset(file, size);
    if (!peOffset || *peOffset >= size)
        return {};
    const std::size_t available = size - *peOffset;
    return FindAuthenticodeLayout(*peOffset, file + *peOffset, available < kPeHeadersSize ? available : kPeHeadersSize,
                                  size);
}
