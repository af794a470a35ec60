#pragma once
// SHA-1 (FIPS 180): the digest the installer stamps into its own file. Small and
// self-contained so that the installer, the build's stamping tool and the tests
// all hash with the very same code.
#include <cstddef>
#include <cstdint>
#include <string>

class Sha1 {
public:
    static constexpr size_t kDigestSize = 20;

    Sha1();
    void Update(const void* data, size_t size);
    // Pads, writes the digest and leaves the object to be discarded.
    void Finish(unsigned char (&digest)[kDigestSize]);

private:
    static constexpr size_t kBlockSize = 64;

    void CompressBlocks(const unsigned char* blocks, size_t count);

    std::uint32_t state_[5];
    std::uint64_t length_ = 0;          // bytes hashed so far
    unsigned char pending_[kBlockSize]; // a started block
    size_t pendingSize_ = 0;
};

// Digest bytes as lowercase hexadecimal, as sha1sum prints them (for the
// build's messages and the tests).
std::string DigestHex(const unsigned char* bytes, size_t size);
