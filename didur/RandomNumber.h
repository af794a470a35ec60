#pragma once
#include <cstdint>

#include <string>

// A uniformly distributed 32-bit value from the system's random source.
std::uint32_t RandomNumber();

// 64 random bits as 16 hexadecimal digits: the part of a temporary file's name
// that nobody can predict, so nobody can prepare a file or a link under it.
std::string RandomNamePart();
