#pragma once
// The package of program files, resource 148 of type "BINARY".
//
// Compressed stream, the LZMA "alone" layout (little-endian):
//   offset 0   1 byte   properties: lc + 9 * (lp + 5 * pb), below 225
//   offset 1   4 bytes  dictionary size
//   offset 5   8 bytes  unpacked size; all ones (unknown size) is refused
//   offset 13  ...      LZMA data
//
// Unpacked, a sequence of messages:
//   1 byte   message type
//   4 bytes  payload length, big-endian
//   n bytes  payload
// An entry is one or more header messages (name, uninstaller flag, platform
// mask, in any order) followed by one or more data messages with the file's
// bytes. A later entry without a name message keeps the earlier name.
#include <cstddef>
#include <cstdint>

namespace package {

inline constexpr unsigned char kNameMessage = 1;         // the file name, ANSI, not terminated
inline constexpr unsigned char kUninstallerMessage = 2;  // written to the uninstaller path instead
inline constexpr unsigned char kPlatformMessage = 3;     // first byte: the platform mask
inline constexpr unsigned char kDataMessage = 0x65;      // the file's bytes

// Platform mask bits; an entry without a platform message installs on both.
inline constexpr unsigned char kNtFamily = 1;
inline constexpr unsigned char kWin9xFamily = 2;
inline constexpr unsigned char kAllPlatforms = kNtFamily | kWin9xFamily;

inline constexpr std::uint32_t kMaxHeaderSize = 4096;
inline constexpr std::size_t kLzmaHeaderSize = 13;
inline constexpr std::size_t kOutputChunkSize = 0x20000;

} // namespace package
