#include "editor/win32/keyboard_hook.h"

#include "data/win32/this_module.h"

namespace kx::win32 {

namespace {

constexpr LPARAM kKeyReleased = LPARAM(1) << 31;
// Set on keystrokes the hook is to leave alone.
constexpr LPARAM kPassOn = 0x10000000;

struct KeyboardHook {
    HHOOK hook = nullptr;
    HWND box = nullptr;
};

// Process-wide, as the system's hook chain is.
KeyboardHook gKeyboard;

LRESULT CALLBACK keyboardProcedure(int code, WPARAM wParam, LPARAM lParam) {
    const HWND focus = GetFocus();
    // Only the box's keys: should the focus have moved on without the box
    // closing, the host keeps its keyboard.
    if (code != HC_ACTION || (lParam & kPassOn) || !focus || focus != gKeyboard.box)
        return CallNextHookEx(gKeyboard.hook, code, wParam, lParam);
    const UINT message = (lParam & kKeyReleased) ? WM_KEYUP : WM_KEYDOWN;
    SendMessageA(focus, message, wParam, lParam);
    // Return and Escape close the box; a closed box gets no characters.
    if (IsWindow(focus)) {
        MSG queued{};
        queued.hwnd = focus;
        queued.message = message;
        queued.wParam = wParam;
        queued.lParam = lParam;
        queued.time = static_cast<DWORD>(GetMessageTime());
        TranslateMessage(&queued);
        // The characters go to the box at once: through the host's loop
        // they would meet the same shortcuts the hook keeps the keys from.
        MSG character;
        while (IsWindow(focus) && PeekMessageA(&character, focus, WM_CHAR, WM_DEADCHAR, PM_REMOVE))
            DispatchMessageA(&character);
    }
    return 1;
}

}  // namespace

bool holdKeyboardFor(HWND box) {
    if (!box || !IsWindow(box))
        return false;
    if (!gKeyboard.hook) {
        const DWORD thread = GetWindowThreadProcessId(box, nullptr);
        gKeyboard.hook = SetWindowsHookExA(WH_KEYBOARD, keyboardProcedure, thisModule(), thread);
        if (!gKeyboard.hook)
            return false;
    }
    gKeyboard.box = box;
    return true;
}

void releaseKeyboardOf(HWND box) {
    if (!gKeyboard.hook || (box && box != gKeyboard.box))
        return;
    UnhookWindowsHookEx(gKeyboard.hook);
    gKeyboard.hook = nullptr;
    gKeyboard.box = nullptr;
}

HWND keyboardHolder() { return gKeyboard.hook ? gKeyboard.box : nullptr; }

}  // namespace kx::win32
