// A small Windows host for the editor tests: a top-level window to open an
// editor in, the host's message loop, user input as the system delivers it,
// and the pixels a window shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace kx::testing {

// Runs the messages waiting for this thread, as a host's loop does.
inline void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A host that takes every key for itself (its shortcuts): keyboard messages
// are never dispatched to the window they are for.
inline void pumpTakingKeys() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Pumps and runs the step until the condition holds (3 s at most).
inline bool pumpUntil(const std::function<bool()>& condition, const std::function<void()>& step = {}) {
    for (int i = 0; i < 300; ++i) {
        pumpMessages();
        if (step)
            step();
        if (condition())
            return true;
        Sleep(10);
    }
    return false;
}

// A top-level window whose client area holds the editor; it counts the
// keys, the wheel notches and the test's application messages that reach it.
class HostWindow {
public:
    HostWindow(int width, int height) {
        static const ATOM windowClass = [] {
            WNDCLASSEXA c{};
            c.cbSize = sizeof c;
            c.lpfnWndProc = procedure;
            c.hInstance = GetModuleHandleA(nullptr);
            c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
            c.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            c.lpszClassName = "KxTestHostWindow";
            return RegisterClassExA(&c);
        }();
        RECT r{0, 0, width, height};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        hwnd_ = CreateWindowExA(0, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(windowClass)), "Kelvox2 test host",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 20, 20, r.right - r.left,
                                r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        activate();
    }
    ~HostWindow() { destroy(); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool ok() const { return hwnd_ != nullptr; }
    // The window the user works in: it has the keyboard.
    void activate() {
        SetForegroundWindow(hwnd_);
        SetFocus(hwnd_);
        pumpMessages();
    }
    // Under wine a window that goes away while active costs seconds (the
    // display's focus changes are awaited): tests share windows where they can.
    void destroy() {
        if (hwnd_ && IsWindow(hwnd_))
            DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        pumpMessages();
    }
    // The first child: the editor's window.
    HWND child() const { return hwnd_ ? GetWindow(hwnd_, GW_CHILD) : nullptr; }
    int childCount() const {
        int n = 0;
        for (HWND c = child(); c; c = GetWindow(c, GW_HWNDNEXT))
            ++n;
        return n;
    }
    int keysHeard = 0;
    int wheelsHeard = 0;
    int appMessagesHeard = 0;  // 0x8123 (1, 2), as the tests send it

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && message == WM_KEYDOWN)
            ++self->keysHeard;
        if (self && message == WM_MOUSEWHEEL)
            ++self->wheelsHeard;
        if (self && message == 0x8123 && wParam == 1 && lParam == 2)
            ++self->appMessagesHeard;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

// Mouse input as the system sends it to the window under the pointer.
inline void post(HWND window, UINT message, WPARAM keys, int x, int y) {
    PostMessageA(window, message, keys, MAKELPARAM(x, y));
}
// One notch of the wheel (down when negative) over window pixel (x, y): the
// system gives the point in screen pixels.
inline void wheel(HWND window, int x, int y, int notches, WPARAM keys = 0) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    post(window, WM_MOUSEMOVE, 0, x, y);
    PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(notches * WHEEL_DELTA))),
                 MAKELPARAM(p.x, p.y));
    pumpMessages();
}
inline void click(HWND window, int x, int y) {
    post(window, WM_MOUSEMOVE, 0, x, y);
    post(window, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    post(window, WM_LBUTTONUP, 0, x, y);
    pumpMessages();
}

// A key pressed and released on the keyboard: it reaches the thread that
// has the keyboard focus through its message queue.
inline void typeKey(WORD virtualKey) {
    INPUT input[2]{};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = virtualKey;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}
inline void typeText(const char* text) {
    for (; *text; ++text)
        typeKey(static_cast<WORD>(VkKeyScanA(*text) & 0xFF));
}

// What the window shows, read back through its device context: 0xRRGGBB
// per pixel, rows top to bottom.
inline std::vector<uint32_t> windowPixels(HWND window, int width, int height) {
    std::vector<uint32_t> out;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = GetDC(window);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (screen && memory && bitmap && bits) {
        const HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY)) {
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            out.assign(p, p + size_t(width) * size_t(height));
            for (uint32_t& v : out)
                v &= 0xFFFFFF;
        }
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    if (screen)
        ReleaseDC(window, screen);
    return out;
}

}  // namespace kx::testing
