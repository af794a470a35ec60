#pragma once
// Writes the package of program files: typed messages (type byte, 4-byte
// big-endian length, payload), compressed as one LZMA stream in the "alone"
// layout with the unpacked size in its header and no end marker, the layout
// the installer decodes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct PackageEntry {
    std::string name;
    Bytes data;
    int platformMask = -1;  // -1: no platform message, every family installs it
    bool uninstaller = false;
};

inline constexpr std::uint32_t kPackageDictionarySize = 32u << 20;

void AppendMessage(Bytes& package, unsigned char type, const void* payload, std::size_t length);
void AppendMessage(Bytes& package, unsigned char type, const std::string& payload);

// One entry: name, uninstaller flag and platform mask as header messages, then
// its bytes as one data message.
void AppendEntry(Bytes& package, const PackageEntry& entry);

// 13-byte header (properties 0x5D, dictionary size, unpacked size, both little
// endian), then the LZMA data. Raises std::runtime_error when the encoder fails.
Bytes CompressLzmaAlone(const Bytes& data, std::uint32_t dictionarySize = kPackageDictionarySize);
