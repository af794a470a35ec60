#pragma once
// Text and colour of a rich edit control.
#include <windows.h>

#include <string_view>

#include "StreamFormat.h"

// Replaces the control's contents (format: StreamFormat) and scrolls to the top.
void StreamInText(HWND richEdit, std::string_view text, int format);

void SetRichEditBackground(HWND richEdit, COLORREF color);
