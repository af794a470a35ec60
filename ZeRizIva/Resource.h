#pragma once
// Resources of the installer's own module, read in place: a read-only view
// into the loaded image, nothing copied.
#include <cstddef>

struct ResourceBytes {
    const unsigned char* data;
    size_t size;
};

// Raises InstallError "FindResourceA() failed: ..." (and likewise for
// LoadResource, LockResource, SizeofResource) with the Windows error text.
ResourceBytes LoadOwnResource(int id, const char* type);
