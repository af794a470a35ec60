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

// Reads up to `size` bytes at an absolute offset; the file's errors raise the
// given texts.
size_t ReadAt(ConsistencyFileHandle file, std::uint64_t offset, unsigned char* buffer, size_t size,
              const char* seekFailure, const char* readFailure)
{
    unsigned long error = 0;
    if (!SeekConsistencyFile(file, offset, error))
        throw ConsistencyErr(seekFailure, error);
    size_t read = 0;
    if (!ReadConsistencyFile(file, buffer, size, read, error))
        throw ConsistencyErr(readFailure, error);
    return read;
}

// Where the file's PE headers put what Authenticode signing changes; nothing
// for a file that is not a PE file.
AuthenticodeLayout ReadAuthenticodeLayout(ConsistencyFileHandle file)
{
    unsigned long error = 0;
    std::uint64_t fileSize = 0;
    if (!SizeOfConsistencyFile(file, fileSize, error))
        throw ConsistencyErr("ConsistencyFileScanner::Scan() - GetFileSize() failed", error);

    unsigned char dos[kDosHeaderSize];
    const size_t dosSize = ReadAt(file, 0, dos, sizeof dos, "ConsistencyFileScanner::Scan() - SetFilePointer() failed",
                                  "ConsistencyFileScanner::Scan() - ReadFile() failed (headers)");
    const std::optional<std::uint32_t> peOffset = PeHeadersOffset(dos, dosSize);
    if (!peOffset || *peOffset >= fileSize)
        return {};

    unsigned char headers[kPeHeadersSize];
    const size_t headersSize = ReadAt(file, *peOffset, headers, sizeof headers,
                                      "ConsistencyFileScanner::Scan() - SetFilePointer() failed (headers)",
                                      "ConsistencyFileScanner::Scan() - ReadFile() failed (headers)");
    return FindAuthenticodeLayout(*peOffset, headers, headersSize, fileSize);
}

// SHA-1 of the bytes handed in, which come in file order, less the ranges that
// signing changes.
class CoveredSha1 {
public:
    explicit CoveredSha1(const AuthenticodeLayout& layout)
        : leftOut_{layout.checkSum, layout.securityEntry, layout.certificateTable}
    {
    }

    // `bytes` lie at file offset `position`.
    void Update(std::uint64_t position, const unsigned char* bytes, size_t size)
    {
        for (const FileRange& range : leftOut_) {
            if (range.size == 0 || range.End() <= position)
                continue;
            if (range.offset >= position + size)
                break;
            const size_t before = range.offset > position ? static_cast<size_t>(range.offset - position) : 0;
            sha1_.Update(bytes, before);
            const std::uint64_t end = range.End() < position + size ? range.End() : position + size;
            const size_t skipped = static_cast<size_t>(end - position);
            bytes += skipped;
            size -= skipped;
            position = end;
        }
        sha1_.Update(bytes, size);
    }

    void Finish(unsigned char (&digest)[kConsistencyDigestSize]) { sha1_.Finish(digest); }

private:
    FileRange leftOut_[3]; // in file order, disjoint
    Sha1 sha1_;
};

// The search for the digest block through the file's 16 KiB reads, hashing
// every byte but the slot (and what signing changes) on the way.
class BlockSearch {
public:
    BlockSearch(ConsistencyFileHandle file, const AuthenticodeLayout& layout)
        : file_(file), hash_(layout), buffer_(ConsistencyFileScanner::kReadSize)
    {
    }

    // Reads and walks the whole file, which must be positioned at its start.
    void Run()
    {
        while (Read("ConsistencyFileScanner::Scan() - ReadFile() failed (1)")) {
            while (at_ < size_) {
                switch (state_) {
                case SearchState::Searching:
                    Search();
                    break;
                case SearchState::AfterMarker:
                    AfterMarker();
                    break;
                case SearchState::Found:
                    Hash(size_ - at_);
                    break;
                default:
                    throw ConsistencyErr("ConsistencyFileScanner::Scan() - Unexpected state", 0);
                }
            }
        }
    }

    bool Found() const { return state_ == SearchState::Found; }
    std::uint64_t DigestOffset() const { return digestOffset_; }
    const unsigned char* StoredDigest() const { return storedDigest_; }
    void Finish(unsigned char (&digest)[kConsistencyDigestSize]) { hash_.Finish(digest); }

private:
    // The next read into the buffer, from where the file pointer stands; false
    // at the end of the file.
    bool Read(const char* failure)
    {
        unsigned long error = 0;
        if (!ReadConsistencyFile(file_, buffer_.data(), buffer_.size(), size_, error))
            throw ConsistencyErr(failure, error);
        at_ = 0;
        return size_ != 0;
    }

    const unsigned char* Rest() const { return buffer_.data() + at_; }
    size_t Left() const { return size_ - at_; }

    // Hashes the next `count` bytes of the buffer and moves past them.
    void Hash(size_t count)
    {
        hash_.Update(position_, Rest(), count);
        Skip(count);
    }

    void Skip(size_t count)
    {
        at_ += count;
        position_ += count;
    }

    // Bytes before a marker are ordinary data: hashed in one piece. At a
    // marker, what follows is read again right behind it, so that it lies in
    // one buffer unless the file ends.
    void Search()
    {
        const size_t marker = FindMarker(Rest(), Left());
        Hash(marker);
        if (at_ == size_)
            return;
        Hash(kConsistencyMarkerSize);
        unsigned long error = 0;
        if (!SeekConsistencyFile(file_, position_, error))
            throw ConsistencyErr("ConsistencyFileScanner::Scan() - SetFilePointer() failed (2)", error);
        Read("ConsistencyFileScanner::Scan() - ReadFile() failed (2)");
        state_ = SearchState::AfterMarker;
    }

    // Behind a marker: the 0xFF and a whole slot make the block, another marker
    // copy keeps it going, anything else is searched as ordinary data.
    void AfterMarker()
    {
        if (Left() < kLeadAndSlotSize) {
            state_ = SearchState::Searching;
        } else if (Rest()[0] == kConsistencyDigestLead) {
            Hash(1);
            std::memcpy(storedDigest_, Rest(), kConsistencyDigestSize);
            digestOffset_ = position_;
            Skip(kConsistencySlotSize);
            state_ = SearchState::Found;
        } else if (IsMarkerAt(Rest(), Left())) {
            Hash(kConsistencyMarkerSize);
        } else {
            state_ = SearchState::Searching;
        }
    }

    ConsistencyFileHandle file_;
    CoveredSha1 hash_;
    std::vector<unsigned char> buffer_;
    size_t size_ = 0;            // bytes in the buffer
    size_t at_ = 0;              // the next byte of the buffer
    std::uint64_t position_ = 0; // file offset of buffer_[at_]
    SearchState state_ = SearchState::Searching;
    std::uint64_t digestOffset_ = 0;
    unsigned char storedDigest_[kConsistencyDigestSize] = {};
};

} // namespace

bool ConsistencyFileScanner::Scan()
{
    digestOffset_ = 0;
    layout_ = ReadAuthenticodeLayout(file_);
    unsigned long error = 0;
    if (!SeekConsistencyFile(file_, 0, error))
        throw ConsistencyErr("ConsistencyFileScanner::Scan() - SetFilePointer() failed", error);

    BlockSearch search(file_, layout_);
    search.Run();
    search.Finish(computedDigest_);
    if (!search.Found())
        return false;
    digestOffset_ = search.DigestOffset();
    std::memcpy(storedDigest_, search.StoredDigest(), kConsistencyDigestSize);
    return true;
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
