#include "WindowHandler.h"

#include <utility>

LRESULT DispatchToHandler(int slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

template <int Slot>
LRESULT CALLBACK SlotProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchToHandler(Slot, window, message, wParam, lParam);
}

struct SubclassSlot {
    WNDPROC procedure;
    const char* property;
};

// Slot i's procedure forwards to the handler stored in window property i.
constexpr SubclassSlot kSlots[] = {
    {SlotProcedure<0>, "KORVANE_SUBWND_0"}, {SlotProcedure<1>, "KORVANE_SUBWND_1"},
    {SlotProcedure<2>, "KORVANE_SUBWND_2"}, {SlotProcedure<3>, "KORVANE_SUBWND_3"},
    {SlotProcedure<4>, "KORVANE_SUBWND_4"}, {SlotProcedure<5>, "KORVANE_SUBWND_5"},
    {SlotProcedure<6>, "KORVANE_SUBWND_6"}, {SlotProcedure<7>, "KORVANE_SUBWND_7"},
    {SlotProcedure<8>, "KORVANE_SUBWND_8"}, {SlotProcedure<9>, "KORVANE_SUBWND_9"},
};

} // namespace

void WindowHandler::OnAttach(HWND) {}

LRESULT WindowHandler::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallPrevious(window, message, wParam, lParam);
}

LRESULT WindowHandler::CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(previous_, window, message, wParam, lParam);
}

LRESULT DispatchToHandler(int slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* handler = static_cast<WindowHandler*>(GetPropA(window, kSlots[slot].property));
    if (!handler)
        return 0;
    if (message == WM_NCDESTROY) {
        const WNDPROC previous = handler->previous_;
        delete handler;
        RemovePropA(window, kSlots[slot].property);
        return CallWindowProcA(previous, window, message, wParam, lParam);
    }
    return handler->HandleMessage(window, message, wParam, lParam);
}

WindowHandler* AttachHandler(HWND window, std::unique_ptr<WindowHandler> handler)
{
    int slot = 0;
    while (slot < 10 && GetPropA(window, kSlots[slot].property))
        ++slot;
    if (slot == 10) {
        SetLastError(ERROR_OUT_OF_STRUCTURES);
        return nullptr;
    }
    const char* property = kSlots[slot].property;
    if (!SetPropA(window, property, handler.get()))
        return nullptr;
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kSlots[slot].procedure)));
    if (!previous) {
        const DWORD error = GetLastError();
        RemovePropA(window, property);
        SetLastError(error);
        return nullptr;
    }
    handler->previous_ = previous;
    WindowHandler* attached = handler.release();
    attached->OnAttach(window);
    return attached;
}
