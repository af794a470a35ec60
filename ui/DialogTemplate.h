#pragma once
// Dialog templates built in memory, in the standard DLGTEMPLATE layout (not the
// extended one): style, extended style, item count, x, y, cx, cy, then the menu
// (one zero word), the class (one zero word: the standard dialog class), the
// zero-terminated UTF-16 title and, with DS_SETFONT, the point size and the
// zero-terminated face name. Titles and fonts are set before any item is added.
#include <cstdint>
#include <string_view>

#include "ZeRizIva/datavect.h"

inline constexpr std::uint32_t kDialogSetFontStyle = 0x40; // DS_SETFONT

// Empty title, no font: DS_SETFONT is cleared from the style given. An
// allocation failure is recorded in the vector (its next use asserts).
datavect MakeDialogTemplate(std::uint32_t style, std::uint32_t exStyle, std::int16_t x, std::int16_t y,
                            std::int16_t cx, std::int16_t cy, std::uint16_t itemCount);

// Each returns false when an allocation failed (recorded in the vector).
bool SetDialogTitle(datavect& dialogTemplate, std::u16string_view title);
// Sets DS_SETFONT when it was not set; replaces the previous font when it was.
bool SetDialogFont(datavect& dialogTemplate, std::uint16_t pointSize, std::u16string_view faceName);
