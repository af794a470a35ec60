#include "RichEditText.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

namespace {

struct StreamSource {
    const std::string& text;
    size_t position;
};

DWORD CALLBACK ReadPiece(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given)
{
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t count = std::min(static_cast<size_t>(std::max<LONG>(wanted, 0)), source->text.size() - source->position);
    std::memcpy(buffer, source->text.data() + source->position, count);
    source->position += count;
    *given = static_cast<LONG>(count);
    return 0;
}

} // namespace

void StreamInText(HWND richEdit, std::string_view text, int format)
{
    const StreamText prepared = PrepareStreamText(text, format);
    StreamSource source{prepared.text, 0};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, ReadPiece};
    SendMessageA(richEdit, EM_STREAMIN, prepared.richText ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    // The caret to the start too: a control that brings its caret into view
    // when it is resized or shown would otherwise scroll to the end again.
    SendMessageA(richEdit, EM_SETSEL, 0, 0);
    const LRESULT firstVisible = SendMessageA(richEdit, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(richEdit, EM_LINESCROLL, 0, -firstVisible);
}

void SetRichEditBackground(HWND richEdit, COLORREF color)
{
    SendMessageA(richEdit, EM_SETBKGNDCOLOR, 0, color);
}
