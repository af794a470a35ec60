#include "Sha1.h"

#include <cstring>

namespace {

inline std::uint32_t RotateLeft(std::uint32_t value, int bits)
{
    return (value << bits) | (value >> (32 - bits));
}

inline std::uint32_t LoadBigEndian(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

inline void StoreBigEndian(unsigned char* p, std::uint32_t value)
{
    p[0] = static_cast<unsigned char>(value >> 24);
    p[1] = static_cast<unsigned char>(value >> 16);
    p[2] = static_cast<unsigned char>(value >> 8);
    p[3] = static_cast<unsigned char>(value);
}

// The round functions, each with its constant. Fully unrolled below: the
// installer hashes its whole file (megabytes) before it does anything else.
inline std::uint32_t Choose(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return d ^ (b & (c ^ d)); }
inline std::uint32_t Parity(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return b ^ c ^ d; }
inline std::uint32_t Majority(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return (b & c) | (d & (b | c)); }

constexpr std::uint32_t kK0 = 0x5a827999, kK1 = 0x6ed9eba1, kK2 = 0x8f1bbcdc, kK3 = 0xca62c1d6;

} // namespace

// The message schedule lives in a 16-word ring: W[t] for t >= 16 replaces W[t-16].
#define SHA1_W(t) w[(t) & 15]
#define SHA1_EXPAND(t) \
    (SHA1_W(t) = RotateLeft(SHA1_W((t) + 13) ^ SHA1_W((t) + 8) ^ SHA1_W((t) + 2) ^ SHA1_W(t), 1))
#define SHA1_ROUND(a, b, c, d, e, f, k, wt)                      \
    do {                                                         \
        e += RotateLeft(a, 5) + f(b, c, d) + (k) + (wt);         \
        b = RotateLeft(b, 30);                                   \
    } while (0)
#define SHA1_ROUNDS5(f, k, t, wexpr)       \
    SHA1_ROUND(a, b, c, d, e, f, k, wexpr(t));     \
    SHA1_ROUND(e, a, b, c, d, f, k, wexpr((t) + 1)); \
    SHA1_ROUND(d, e, a, b, c, f, k, wexpr((t) + 2)); \
    SHA1_ROUND(c, d, e, a, b, f, k, wexpr((t) + 3)); \
    SHA1_ROUND(b, c, d, e, a, f, k, wexpr((t) + 4))
#define SHA1_LOAD(t) (SHA1_W(t) = LoadBigEndian(block + 4 * (t)))

Sha1::Sha1() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0} {}

void Sha1::CompressBlocks(const unsigned char* block, size_t count)
{
    std::uint32_t w[16];
    for (; count != 0; --count, block += kBlockSize) {
        std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];

        SHA1_ROUNDS5(Choose, kK0, 0, SHA1_LOAD);
        SHA1_ROUNDS5(Choose, kK0, 5, SHA1_LOAD);
        SHA1_ROUNDS5(Choose, kK0, 10, SHA1_LOAD);
        SHA1_ROUND(a, b, c, d, e, Choose, kK0, SHA1_LOAD(15));
        SHA1_ROUND(e, a, b, c, d, Choose, kK0, SHA1_EXPAND(16));
        SHA1_ROUND(d, e, a, b, c, Choose, kK0, SHA1_EXPAND(17));
        SHA1_ROUND(c, d, e, a, b, Choose, kK0, SHA1_EXPAND(18));
        SHA1_ROUND(b, c, d, e, a, Choose, kK0, SHA1_EXPAND(19));

        SHA1_ROUNDS5(Parity, kK1, 20, SHA1_EXPAND);
        SHA1_ROUNDS5(Parity, kK1, 25, SHA1_EXPAND);
        SHA1_ROUNDS5(Parity, kK1, 30, SHA1_EXPAND);
        SHA1_ROUNDS5(Parity, kK1, 35, SHA1_EXPAND);

        SHA1_ROUNDS5(Majority, kK2, 40, SHA1_EXPAND);
        SHA1_ROUNDS5(Majority, kK2, 45, SHA1_EXPAND);
        SHA1_ROUNDS5(Majority, kK2, 50, SHA1_EXPAND);
        SHA1_ROUNDS5(Majority, kK2, 55, SHA1_EXPAND);

        SHA1_ROUNDS5(Parity, kK3, 60, SHA1_EXPAND);
        SHA1_ROUNDS5(Parity, kK3, 65, SHA1_EXPAND);
        SHA1_ROUNDS5(Parity, kK3, 70, SHA1_EXPAND);
        SHA1_ROUNDS5(Parity, kK3, 75, SHA1_EXPAND);

        state_[0] += a;
        state_[1] += b;
        state_[2] += c;
        state_[3] += d;
        state_[4] += e;
    }
}

#undef SHA1_W
#undef SHA1_EXPAND
#undef SHA1_ROUND
#undef SHA1_ROUNDS5
#undef SHA1_LOAD

void Sha1::Update(const void* data, size_t size)
{
    // An empty piece may come without memory behind it (a null pointer), which
    // memcpy must never be given.
    if (size == 0)
        return;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    length_ += size;
    if (pendingSize_ != 0) {
        const size_t taken = size < kBlockSize - pendingSize_ ? size : kBlockSize - pendingSize_;
        std::memcpy(pending_ + pendingSize_, bytes, taken);
        pendingSize_ += taken;
        bytes += taken;
        size -= taken;
        if (pendingSize_ < kBlockSize)
            return;
        CompressBlocks(pending_, 1);
        pendingSize_ = 0;
    }
    // Whole blocks straight from the caller's memory, without copying.
    const size_t blocks = size / kBlockSize;
    CompressBlocks(bytes, blocks);
    bytes += blocks * kBlockSize;
    size -= blocks * kBlockSize;
    std::memcpy(pending_, bytes, size);
    pendingSize_ = size;
}

void Sha1::Finish(unsigned char (&digest)[kDigestSize])
{
    const std::uint64_t bitLength = length_ * 8;
    // A 0x80 byte, zeros up to 56 bytes into a block, then the bit length big-endian.
    unsigned char padding[kBlockSize + 8] = {0x80};
    const size_t zeros = (pendingSize_ < 56 ? 56 : 56 + kBlockSize) - pendingSize_;
    for (int i = 0; i < 8; ++i)
        padding[zeros + i] = static_cast<unsigned char>(bitLength >> (56 - 8 * i));
    Update(padding, zeros + 8);
    for (int i = 0; i < 5; ++i)
        StoreBigEndian(digest + 4 * i, state_[i]);
}

std::string DigestHex(const unsigned char* bytes, size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}
