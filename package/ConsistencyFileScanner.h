#pragma once
// Finds the digest block in a file (see ConsistencyBlock.h) and computes the
// file's SHA-1 with the slot left out, in one pass of 16 KiB reads. In a PE
// file the SHA-1 also leaves out what Authenticode signing changes (see
// AuthenticodeLayout.h), so that a signed file still verifies.
#include <cstdint>

#include "AuthenticodeLayout.h"
#include "ConsistencyBlock.h"
#include "ConsistencyFileAccess.h"

class ConsistencyFileScanner {
public:
    static constexpr size_t kReadSize = 0x4000;

    // The handle is not owned; it must allow reading, and writing for Apply.
    explicit ConsistencyFileScanner(ConsistencyFileHandle file) : file_(file) {}

    // Reads the file's PE headers, then the whole file from its start. True if
    // a block was found: the digest offset and the stored digest are then set.
    // The computed digest and the layout are set either way. Raises
    // ConsistencyErr when the file cannot be read.
    bool Scan();
    // Writes the computed digest into the slot found by the last Scan.
    void Apply();
    // The computed and the stored digest are equal, byte for byte.
    bool DigestsEqual() const;

    std::uint64_t DigestOffset() const { return digestOffset_; }
    const unsigned char* ComputedDigest() const { return computedDigest_; }
    const unsigned char* StoredDigest() const { return storedDigest_; }
    // What the last Scan left out besides the slot (nothing outside a PE file).
    const AuthenticodeLayout& Layout() const { return layout_; }

private:
    ConsistencyFileHandle file_;
    std::uint64_t digestOffset_ = 0; // the byte after the 0xFF; 0 until a block is found
    unsigned char computedDigest_[kConsistencyDigestSize] = {};
    unsigned char storedDigest_[kConsistencyDigestSize] = {};
    AuthenticodeLayout layout_;
};
