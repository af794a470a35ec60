#pragma once
// The digest block that the build stamps into the installer's own file:
//
//   offset        size     content
//   0             128 * N  the marker, N times in a row (N = 2 in the installer)
//   128 * N       1        0xFF
//   128 * N + 1   20       SHA-1 of the whole file without the 32-byte slot
//   128 * N + 21  12       filler, neither read nor written (0xFF)
//
// The 32 bytes after the 0xFF are the digest slot; every other byte of the
// file, the marker copies and the 0xFF included, is hashed in file order.
#include <cstddef>

constexpr size_t kConsistencyMarkerSize = 128;
constexpr size_t kConsistencyDigestSize = 20;
constexpr size_t kConsistencySlotSize = 32;
constexpr unsigned char kConsistencyDigestLead = 0xFF;

struct ConsistencyBlock {
    unsigned char markers[2][kConsistencyMarkerSize];
    unsigned char lead;
    unsigned char digest[kConsistencyDigestSize];
    unsigned char filler[kConsistencySlotSize - kConsistencyDigestSize];
};
static_assert(sizeof(ConsistencyBlock) == 2 * kConsistencyMarkerSize + 1 + kConsistencySlotSize,
              "the block is packed as stamped");

// The program's own block. It lives in a section of its own (".digest"), which
// starts at a file offset that is a multiple of the 512-byte file alignment, so
// it can never straddle a 16 KiB read of the scanner; the stamping tool checks
// that again on the finished file.
extern const ConsistencyBlock kConsistencyBlock;

// The marker the scanner searches for: the block's own first marker copy.
extern const unsigned char (&kConsistencyMarker)[kConsistencyMarkerSize];
