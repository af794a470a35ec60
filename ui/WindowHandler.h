#pragma once
// Behaviour objects stacked on existing windows without a window class of
// their own. Each attached handler sees the window's messages before the
// window's own procedure (the most recently attached one first) and passes on
// what it does not consume. Up to ten handlers per window; the window owns
// them and deletes them when it is destroyed (WM_NCDESTROY).
#include <windows.h>

#include <memory>

class WindowHandler {
public:
    WindowHandler() = default;
    WindowHandler(const WindowHandler&) = delete;
    WindowHandler& operator=(const WindowHandler&) = delete;
    virtual ~WindowHandler() = default;

    // Called once, right after the handler has been attached.
    virtual void OnAttach(HWND window);
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The window procedure this handler replaced.
    LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend WindowHandler* AttachHandler(HWND window, std::unique_ptr<WindowHandler> handler);
    friend LRESULT DispatchToHandler(int slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC previous_ = nullptr;
};

// Stacks the handler on the window and returns it, now owned by the window.
// Null on failure: the handler is deleted and the thread's last error says why
// (ERROR_OUT_OF_STRUCTURES when the window has ten handlers already).
WindowHandler* AttachHandler(HWND window, std::unique_ptr<WindowHandler> handler);

template <typename Handler>
Handler* AttachHandler(HWND window, std::unique_ptr<Handler> handler)
{
    return static_cast<Handler*>(AttachHandler(window, std::unique_ptr<WindowHandler>(std::move(handler))));
}
