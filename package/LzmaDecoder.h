#pragma once
// The LZMA SDK decoder's state and its dictionary buffer (the dictionary size
// of the stream's properties): construct, allocate, free.
#include "LzmaDec.h"

class LzmaDecoder {
public:
    // Reads LZMA_PROPS_SIZE bytes of properties and initialises the decoder.
    // Raises BadAllocation when the dictionary cannot be had, InstallError
    // "LzmaDecodeProperties() failed: incorrect stream properties" for
    // properties the decoder cannot use.
    explicit LzmaDecoder(const unsigned char* properties);
    LzmaDecoder(const LzmaDecoder&) = delete;
    LzmaDecoder& operator=(const LzmaDecoder&) = delete;
    ~LzmaDecoder();

    CLzmaDec* get() { return &state_; }

private:
    CLzmaDec state_;
};
