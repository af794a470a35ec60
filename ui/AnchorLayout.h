#pragma once
// Moves and stretches child controls when their parent is resized. Each entry
// gives the child's distances in pixels from the parent's client edges; -1 is
// "not anchored to that edge". A child anchored to two opposite edges is
// stretched, one anchored to a single edge keeps its size and follows it.
#include <windows.h>

#include <cstdint>
#include <map>

#include "WindowHandler.h"

class AnchorLayout : public WindowHandler {
public:
    struct Anchor {
        std::int32_t left = -1;
        std::int32_t top = -1;
        std::int32_t right = -1;
        std::int32_t bottom = -1;
        std::int32_t repaint = -1; // after moving: -1 nothing, 0 invalidate, above 0 invalidate and erase
    };

    // The entry to fill in; a missing one is created with every field -1.
    Anchor& Entry(int controlId) { return byId_[controlId]; }
    Anchor& Entry(HWND child) { return byHandle_[child]; }

    // Lays out once for the parent's current client size.
    void Apply(HWND parent);

    // Lays out after the parent's own procedure has seen WM_SIZE, so that it
    // may change entries there and have them used at once.
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout(HWND parent, int width, int height);

    std::map<int, Anchor> byId_;
    std::map<HWND, Anchor> byHandle_;
};
