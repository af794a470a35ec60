#include "ConsistencyFileScanner.h"

#include <cstring>
#include <vector>

#include "ConsistencyErr.h"
#include "Sha1.h"

namespace {

enum class SearchState { Searching, AfterMarker, Found };

// What follows the 0xFF: the slot, never hashed.
constexpr size_t kLeadAndSlotSize = 1 + kConsistencySlotSize;

bool IsMarkerAt(const unsigned char* bytes, size_t available)
{
    return available >= kConsistencyMarkerSize &&
           std::memcmp(bytes, kConsistencyMarker, kConsistencyMarkerSize) == 0;
}

// The offset of the first marker lying wholly inside bytes[0, size), or size
// when there is none. The same answer as trying every offset in turn, but only
// where the marker's first byte occurs.
size_t FindMarker(const unsigned char* bytes, size_t size)
{
    if (size < kConsistencyMarkerSize)
        return size;
    const size_t lastStart = size - kConsistencyMarkerSize;
    for (size_t at = 0; at <= lastStart;) {
        const void* hit = std::memchr(bytes + at, kConsistencyMarker[0], lastStart - at + 1);
        if (!hit)
            break;
        at = static_cast<const unsigned char*>(hit) - bytes;
        if (IsMarkerAt(bytes + at, size - at))
            return at;
        ++at;
    }
    return size;
}

} // namespace

bool ConsistencyFileScanner::Scan()
{
    unsigned long error = 0;
    if (!SeekConsistencyFile(file_, 0, error))
        throw ConsistencyErr("ConsistencyFileScanner::Scan() - SetFilePointer() failed", error);

    digestOffset_ = 0;
    Sha1 sha1;
    SearchState state = SearchState::Searching;
    std::uint64_t position = 0; // file offset of buffer[at]
    std::vector<unsigned char> buffer(kReadSize);

    for (;;) {
        size_t size = 0;
        if (!ReadConsistencyFile(file_, buffer.data(), kReadSize, size, error))
            throw ConsistencyErr("ConsistencyFileScanner::Scan() - ReadFile() failed (1)", error);
        if (size == 0)
            break;

        size_t at = 0;
        while (at < size) {
            const unsigned char* rest = buffer.data() + at;
            const size_t left = size - at;
            switch (state) {
            case SearchState::Searching: {
                // Bytes before a marker are ordinary data: hashed in one piece.
                const size_t marker = FindMarker(rest, left);
                sha1.Update(rest, marker);
                at += marker;
                position += marker;
                if (marker == left)
                    break;
                sha1.Update(rest + marker, kConsistencyMarkerSize);
                position += kConsistencyMarkerSize;
                // Read again right behind the marker, so that what follows it
                // lies in one buffer unless the file ends.
                if (!SeekConsistencyFile(file_, position, error))
                    throw ConsistencyErr("ConsistencyFileScanner::Scan() - SetFilePointer() failed (2)", error);
                if (!ReadConsistencyFile(file_, buffer.data(), kReadSize, size, error))
                    throw ConsistencyErr("ConsistencyFileScanner::Scan() - ReadFile() failed (2)", error);
                at = 0;
                state = SearchState::AfterMarker;
                break;
            }
            case SearchState::AfterMarker:
                if (left < kLeadAndSlotSize) {
                    state = SearchState::Searching;
                } else if (rest[0] == kConsistencyDigestLead) {
                    sha1.Update(rest, 1);
                    std::memcpy(storedDigest_, rest + 1, kConsistencyDigestSize);
                    digestOffset_ = position + 1;
                    at += kLeadAndSlotSize;
                    position += kLeadAndSlotSize;
                    state = SearchState::Found;
                } else if (IsMarkerAt(rest, left)) {
                    sha1.Update(rest, kConsistencyMarkerSize);
                    at += kConsistencyMarkerSize;
                    position += kConsistencyMarkerSize;
                } else {
                    state = SearchState::Searching;
                }
                break;
            case SearchState::Found:
                sha1.Update(rest, left);
                at = size;
                position += left;
                break;
            default:
                throw ConsistencyErr("ConsistencyFileScanner::Scan() - Unexpected state", 0);
            }
        }
    }

    sha1.Finish(computedDigest_);
    return state == SearchState::Found;
}

void ConsistencyFileScanner::Apply()
{
    // Without a block the offset is 0: writing there would damage the file.
    if (digestOffset_ == 0)
        throw ConsistencyErr("A consistency marker could not be found in the file", 0);
    unsigned long error = 0;
    if (!SeekConsistencyFile(file_, digestOffset_, error))
        throw ConsistencyErr("ConsistencyFileScanner::Apply() - SetFilePointer() failed", error);
    if (!WriteConsistencyFile(file_, computedDigest_, kConsistencyDigestSize, error))
        throw ConsistencyErr("ConsistencyFileScanner::Apply() - WriteFile() failed", error);
}

bool ConsistencyFileScanner::DigestsEqual() const
{
    return std::memcmp(computedDigest_, storedDigest_, kConsistencyDigestSize) == 0;
}
