#include "ConsistencyBlock.h"

namespace {

// The marker is three groups, each written twice in a row.
constexpr unsigned char kGroupA[16] = {0x5e, 0x5b, 0xc5, 0xb4, 0x8f, 0x8e, 0x4e, 0x7f,
                                       0xbc, 0xe5, 0x65, 0xf4, 0xf6, 0x34, 0xe3, 0xf4};
constexpr unsigned char kGroupB[32] = {0xca, 0x82, 0xe1, 0xb6, 0x6b, 0x90, 0x41, 0x89, 0xbb, 0xf7, 0x1d,
                                       0x67, 0x10, 0xa8, 0xb6, 0x76, 0xfb, 0x5d, 0x20, 0x55, 0xcd, 0x3e,
                                       0x3a, 0x4b, 0x23, 0x7f, 0xb3, 0x81, 0x88, 0x37, 0xf7, 0x60};
constexpr unsigned char kGroupC[16] = {0x41, 0x53, 0x33, 0xde, 0x18, 0x94, 0x45, 0xc4,
                                       0x8a, 0x22, 0xbd, 0xe9, 0x93, 0x1b, 0xf8, 0xb6};

template <size_t N>
constexpr unsigned char* PutTwice(unsigned char* out, const unsigned char (&group)[N])
{
    for (int copy = 0; copy < 2; ++copy)
        for (size_t i = 0; i < N; ++i)
            *out++ = group[i];
    return out;
}

constexpr ConsistencyBlock MakeBlock()
{
    ConsistencyBlock block{};
    for (auto& marker : block.markers)
        PutTwice(PutTwice(PutTwice(marker, kGroupA), kGroupB), kGroupC);
    block.lead = kConsistencyDigestLead;
    for (unsigned char& b : block.digest)
        b = 0xFF;
    for (unsigned char& b : block.filler)
        b = 0xFF;
    return block;
}

} // namespace

// "used": nothing reads the slot in memory, but the block must reach the file.
__attribute__((section(".digest"), used)) constinit const ConsistencyBlock kConsistencyBlock = MakeBlock();

const unsigned char (&kConsistencyMarker)[kConsistencyMarkerSize] = kConsistencyBlock.markers[0];
