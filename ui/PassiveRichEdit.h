#pragma once
// A rich edit control that only shows text: it never takes the caret, and its
// cursor is the arrow (or the hand over a link) rather than the text beam.
#include "WindowHandler.h"

class PassiveRichEditHandler : public WindowHandler {
public:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};
