#pragma once
// Conversions through the ANSI code page, and the comparisons the installer makes
// "the way the C runtime does". On Windows these call the system; the native build
// (host tools, fuzzers, fast tests) maps bytes as Latin-1 so the same logic runs.
#include <string>
#include <string_view>

unsigned AnsiCodePage();
std::wstring AnsiToWide(std::string_view text, unsigned codePage = AnsiCodePage());
std::string WideToAnsi(std::wstring_view text, unsigned codePage = AnsiCodePage());

// The ANSI text as the console shows it (GetConsoleCP).
std::string AnsiToConsole(std::string_view text);

// True when the byte opens a double-byte character of the ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);

// Case-insensitive comparisons with the C runtime's rules (_wcsicmp, _stricmp,
// _mbsicmp); results are <0, 0 or >0.
int CompareNoCase(std::wstring_view a, std::wstring_view b);
int CompareNoCase(std::string_view a, std::string_view b);
int CompareNoCaseMultibyte(std::string_view a, std::string_view b);
