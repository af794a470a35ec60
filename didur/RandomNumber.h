#pragma once
#include <cstdint>

// A uniformly distributed 32-bit value from the system's random source.
std::uint32_t RandomNumber();
