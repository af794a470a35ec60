#pragma once
// The digest block search exactly as stated, one byte at a time over the
// scanner's 16 KiB reads, and which bytes of a PE file signing may change,
// read field by field from the whole file: what the fast scanner must
// reproduce. Shared by the unit tests and the digest scanner's fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "package/ConsistencyBlock.h"
#include "package/ConsistencyFileScanner.h"
#include "package/Sha1.h"

struct ReferenceScanResult {
    bool found = false;
    std::uint64_t digestOffset = 0;      // 0 unless found
    std::vector<unsigned char> stored;   // empty unless found
    std::vector<unsigned char> computed; // SHA-1 of every byte outside the slot and what signing changes

    bool operator==(const ReferenceScanResult&) const = default;
};

// Per byte of the file: true where Authenticode signing may change it (the
// optional header's CheckSum, the security entry of the data directories, and
// the certificate table that entry names when it ends at the end of the file),
// all false for a file that is not a PE32 or PE32+ file with a security entry.
inline std::vector<bool> ReferenceLeftOut(const std::vector<unsigned char>& file)
{
    std::vector<bool> leftOut(file.size(), false);
    const auto field = [&file](std::uint64_t at, int size) -> std::optional<std::uint64_t> {
        if (at + size > file.size())
            return std::nullopt;
        std::uint64_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value << 8 | file[at + i];
        return value;
    };
    const auto leaveOut = [&leftOut](std::uint64_t from, std::uint64_t size) {
        std::fill(leftOut.begin() + from, leftOut.begin() + from + size, true);
    };

    // The DOS header: "MZ", and e_lfanew at 0x3C.
    if (file.size() < 64 || file[0] != 'M' || file[1] != 'Z')
        return leftOut;
    const std::uint64_t pe = *field(0x3C, 4);
    // "PE\0\0", the file header (SizeOfOptionalHeader at 20), the optional header.
    const std::uint64_t optional = pe + 24;
    if (field(pe, 4) != std::optional<std::uint64_t>(0x00004550))
        return leftOut;
    const std::optional<std::uint64_t> magic = field(optional, 2);
    std::uint64_t directoryCount = 0, directories = 0;
    if (magic == std::optional<std::uint64_t>(0x10B)) { // PE32
        directoryCount = optional + 92;
        directories = optional + 96;
    } else if (magic == std::optional<std::uint64_t>(0x20B)) { // PE32+
        directoryCount = optional + 108;
        directories = optional + 112;
    } else {
        return leftOut;
    }
    const std::uint64_t entry = directories + 4 * 8; // IMAGE_DIRECTORY_ENTRY_SECURITY
    const std::optional<std::uint64_t> tableOffset = field(entry, 4), tableSize = field(entry + 4, 4);
    if (!tableSize || *field(pe + 20, 2) < entry + 8 - optional || *field(directoryCount, 4) < 5)
        return leftOut;

    leaveOut(optional + 64, 4); // CheckSum
    leaveOut(entry, 8);
    if (*tableSize > 0 && *tableOffset >= entry + 8 && *tableOffset + *tableSize == file.size())
        leaveOut(*tableOffset, *tableSize);
    return leftOut;
}

inline ReferenceScanResult ReferenceScan(const std::vector<unsigned char>& file)
{
    constexpr std::size_t kRead = ConsistencyFileScanner::kReadSize;
    constexpr std::size_t kMarker = kConsistencyMarkerSize;
    constexpr std::size_t kLeadAndSlot = 1 + kConsistencySlotSize;

    enum { Searching, AfterMarker, Found } state = Searching;
    std::vector<unsigned char> covered; // the bytes hashed, in order
    ReferenceScanResult result;
    std::uint64_t filePointer = 0;
    std::uint64_t position = 0; // file offset of buffer[i]
    std::vector<unsigned char> buffer;
    const std::vector<bool> leftOut = ReferenceLeftOut(file);
    // Hashes buffer[i, i + n), byte by byte, less what signing may change.
    const auto hash = [&](std::size_t i, std::size_t n) {
        for (std::size_t k = 0; k < n; ++k)
            if (!leftOut[position + k])
                covered.push_back(buffer[i + k]);
    };
    const auto read = [&]() {
        const std::size_t from = std::min<std::uint64_t>(filePointer, file.size());
        const std::size_t to = std::min<std::uint64_t>(filePointer + kRead, file.size());
        filePointer = to;
        buffer.assign(file.begin() + from, file.begin() + to);
    };
    const auto markerAt = [&buffer](std::size_t i) {
        return buffer.size() - i >= kMarker && std::memcmp(&buffer[i], kConsistencyMarker, kMarker) == 0;
    };
    for (;;) {
        read();
        if (buffer.empty())
            break;
        for (std::size_t i = 0; i < buffer.size();) {
            if (state == Searching && markerAt(i)) {
                hash(i, kMarker);
                position += kMarker;
                filePointer = position;
                read();
                i = 0;
                state = AfterMarker;
            } else if (state == AfterMarker && buffer.size() - i < kLeadAndSlot) {
                state = Searching;
            } else if (state == AfterMarker && buffer[i] == kConsistencyDigestLead) {
                hash(i, 1);
                result.stored.assign(&buffer[i + 1], &buffer[i + 1] + kConsistencyDigestSize);
                result.digestOffset = position + 1;
                i += kLeadAndSlot;
                position += kLeadAndSlot;
                state = Found;
            } else if (state == AfterMarker && markerAt(i)) {
                hash(i, kMarker);
                i += kMarker;
                position += kMarker;
            } else if (state == AfterMarker) {
                state = Searching;
            } else {
                hash(i, 1);
                ++i;
                ++position;
            }
        }
    }
    Sha1 sha1;
    sha1.Update(covered.data(), covered.size());
    unsigned char digest[Sha1::kDigestSize];
    sha1.Finish(digest);
    result.found = state == Found;
    result.computed.assign(digest, digest + sizeof digest);
    return result;
}
