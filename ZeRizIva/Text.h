#pragma once
// Small text rules shared by every part of the installer.
#include <string>
#include <string_view>
#include <vector>

// Joins a directory and a name with exactly one backslash between them. A final
// byte of the directory counts as a backslash only when it is not the second
// byte of a double-byte character.
std::string PathJoin(std::string_view directory, std::string_view name);

// Version texts ("4.07", "4.10") compare as byte strings, never as numbers.
int CompareVersionTexts(std::string_view a, std::string_view b);

// True when the text ends with a backslash byte that is not a trail byte.
bool EndsWithBackslash(std::string_view text);

// The number in lower-case hexadecimal digits, with zeros in front up to
// minimumDigits (printf's "%0*llx"; no "0x").
std::string HexDigits(unsigned long long value, unsigned minimumDigits = 1);

// The number in decimal digits as a wide string (std::to_wstring), without the
// C runtime's formatted output (which would bring its printf into the program).
std::wstring WideDecimal(long long value);

// The parts of the text between separators, empty ones included (one part
// when there is no separator). For separators that are never the second byte
// of a double-byte character: ';' of a search path, '\n' of a text file.
std::vector<std::string> Split(const std::string& text, char separator);
