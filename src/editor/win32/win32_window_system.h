#pragma once
// The window system on Windows: USER32 and GDI32, used as the window
// framework's roles name them.
//
// Roles as this binding plays them:
// - Classes are real window classes whose procedure is one shared
//   trampoline; it finds the window's record (a window property) and calls
//   the framework procedure there with this system. The system's "Edit"
//   control is subclassed the same way, its own procedure kept for what the
//   framework passes on (CallWindowProcA).
// - Messages come through the host's own message loop, as to any window of
//   its thread; processEvents takes none, so that nothing meant for the host
//   (its keys, its accelerators, its quit) is stolen. paintInvalidated paints
//   what waits (UpdateWindow), so a refresh shows at the idle that made it.
// - The cursor is the window's own, installed when the system asks for it
//   (WM_SETCURSOR), so two editors of one class never share it.
// - The keyboard hook is WH_KEYBOARD on the box's thread (keyboard_hook.h).
//
// Threads: the host's user-interface thread, which owns the windows.

#include <vector>

#include "editor/window_system.h"
// After the framework's message names: windows.h makes the same names macros
// (of the same numbers), which would break their declarations.
#include <windows.h>

namespace kx {

class Win32WindowSystem final : public KWindowSystem {
public:
    Win32WindowSystem();
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    bool registerClass(const char* className, KWindowProc procedure) override;
    KWindowHandle createWindow(const KCreateStruct& params) override;
    void destroyWindow(KWindowHandle window) override;
    bool isWindow(KWindowHandle window) const override;
    KWindowHandle parentOf(KWindowHandle window) const override;
    void* moduleHandle() const override;

    void* userData(KWindowHandle window) const override;
    void setUserData(KWindowHandle window, void* data) override;
    void* extraData(KWindowHandle window) const override;
    void setExtraData(KWindowHandle window, void* data) override;
    KWindowProc setWindowProc(KWindowHandle window, KWindowProc procedure) override;
    KLResult defWindowProc(KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam) override;
    KLResult sendMessage(KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam) override;

    void invalidate(KWindowHandle window) override;
    void present(KWindowHandle window, const KCanvas& canvas) override;
    void setWindowPos(KWindowHandle window, int x, int y, int width, int height) override;
    void showWindow(KWindowHandle window, bool show) override;

    void setCapture(KWindowHandle window) override;
    void releaseCapture() override;
    KWindowHandle capture() const override;
    void setFocus(KWindowHandle window) override;
    KWindowHandle focus() const override;
    void setCursor(KWindowHandle window, KCursorShape shape) override;
    bool isKeyDown(unsigned virtualKey) const override;
    bool screenToClient(KWindowHandle window, int& x, int& y) override;
    void setKeyModifiers(bool shift, bool control) override;
    void holdKeyboard(KWindowHandle window) override;
    void releaseKeyboard() override;
    size_t clipboardText(char* text, size_t size) override;

    void processEvents() override {}
    void paintInvalidated() override;
    void sync() override;

    // The windows of this system still in existence.
    size_t windowCount() const { return windows_.size(); }

private:
    struct WindowClass {
        char name[64] = {};
        KWindowProc procedure = nullptr;
    };
    struct Record;

    static LRESULT CALLBACK sharedWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static KLResult callSystemProcedure(KWindowSystem& system, KWindowHandle window, unsigned message, KWParam wParam,
                                        KLParam lParam);
    static Record* recordOf(HWND hwnd);
    Record* ownRecord(KWindowHandle window) const;
    Record* attachRecord(HWND hwnd, KWindowProc procedure);
    static void forget(HWND hwnd);

    std::vector<WindowClass> classes_;
    std::vector<HWND> windows_;  // those with a record of this system
    HWND keyboardBox_ = nullptr;
    HCURSOR cursors_[3] = {};
};

}  // namespace kx
