#include "LzmaDecoder.h"

#include <cstdlib>

#include "ZeRizIva/AllocationFailure.h"
#include "ZeRizIva/Exceptions.h"

namespace {

void* Allocate(void*, size_t size) { return std::malloc(size); }
void Free(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {Allocate, Free};

} // namespace

LzmaDecoder::LzmaDecoder(const unsigned char* properties)
{
    LzmaDec_Construct(&state_);
    const SRes result = LzmaDec_Allocate(&state_, properties, LZMA_PROPS_SIZE, &g_alloc);
    if (result == SZ_ERROR_MEM)
        throw BadAllocation();
    if (result != SZ_OK)
        throw InstallError("LzmaDecodeProperties() failed: incorrect stream properties");
    LzmaDec_Init(&state_);
}

LzmaDecoder::~LzmaDecoder() { LzmaDec_Free(&state_, &g_alloc); }
