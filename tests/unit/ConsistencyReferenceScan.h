#pragma once
// The digest block search exactly as stated, one byte at a time over the
// scanner's 16 KiB reads: what the fast scanner must reproduce. Shared by the
// unit tests and the digest scanner's fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "package/ConsistencyBlock.h"
#include "package/ConsistencyFileScanner.h"
#include "package/Sha1.h"

struct ReferenceScanResult {
    bool found = false;
    std::uint64_t digestOffset = 0;      // 0 unless found
    std::vector<unsigned char> stored;   // empty unless found
    std::vector<unsigned char> computed; // SHA-1 of every byte outside the slot

    bool operator==(const ReferenceScanResult&) const = default;
};

inline ReferenceScanResult ReferenceScan(const std::vector<unsigned char>& file)
{
    constexpr std::size_t kRead = ConsistencyFileScanner::kReadSize;
    constexpr std::size_t kMarker = kConsistencyMarkerSize;
    constexpr std::size_t kLeadAndSlot = 1 + kConsistencySlotSize;

    enum { Searching, AfterMarker, Found } state = Searching;
    Sha1 sha1;
    ReferenceScanResult result;
    std::uint64_t filePointer = 0;
    std::uint64_t position = 0;
    std::vector<unsigned char> buffer;
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
                sha1.Update(&buffer[i], kMarker);
                position += kMarker;
                filePointer = position;
                read();
                i = 0;
                state = AfterMarker;
            } else if (state == AfterMarker && buffer.size() - i < kLeadAndSlot) {
                state = Searching;
            } else if (state == AfterMarker && buffer[i] == kConsistencyDigestLead) {
                sha1.Update(&buffer[i], 1);
                result.stored.assign(&buffer[i + 1], &buffer[i + 1] + kConsistencyDigestSize);
                result.digestOffset = position + 1;
                i += kLeadAndSlot;
                position += kLeadAndSlot;
                state = Found;
            } else if (state == AfterMarker && markerAt(i)) {
                sha1.Update(&buffer[i], kMarker);
                i += kMarker;
                position += kMarker;
            } else if (state == AfterMarker) {
                state = Searching;
            } else {
                sha1.Update(&buffer[i], 1);
                ++i;
                ++position;
            }
        }
    }
    unsigned char digest[Sha1::kDigestSize];
    sha1.Finish(digest);
    result.found = state == Found;
    result.computed.assign(digest, digest + sizeof digest);
    return result;
}
