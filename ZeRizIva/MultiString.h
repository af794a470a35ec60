#pragma once
// The REG_MULTI_SZ layout: strings each followed by a zero byte, then one more.
#include <cstddef>
#include <string>
#include <vector>

// Parses value data into strings. Returns 0, or 13 (ERROR_INVALID_DATA) when
// the data does not end in a zero byte; the list is cleared first.
unsigned long ParseMultiString(const unsigned char* data, size_t size, std::vector<std::string>& result);

// An empty list is two zero bytes.
std::string FormatMultiString(const std::vector<std::string>& list);
