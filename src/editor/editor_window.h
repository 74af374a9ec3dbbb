// KEditorWindow: the editor's child window in the host's window. It owns the
// canvas the skin paints on, copies it to the screen on WM_PAINT, routes the
// mouse to the skin (capturing it for the control that takes a press), turns
// the dial or slider under the pointer by the wheel (passing any other wheel
// on to the host's window), keeps the cursor the skin asks for, and carries
// the text entry.
//
// Threads: the user-interface thread.
#pragma once

#include <memory>

#include "controls/cursor_code.h"
#include "editor/text_entry.h"
#include "editor/window.h"
#include "graphics/canvas.h"
#include "skin/skin_window.h"

namespace kx {

class KSkin;

class KEditorWindow : public KWindow, public KSkinWindow {
public:
    explicit KEditorWindow(KSkin* skin);
    ~KEditorWindow() override;

    void creationParameters(KCreateStruct& params) override;

    KLResult onCreate(const KCreateStruct* params) override;
    KLResult onPaint() override;
    KLResult onLeftButtonDown(unsigned keys, int x, int y) override;
    KLResult onLeftButtonUp(unsigned keys, int x, int y) override;
    KLResult onRightButtonDown(unsigned keys, int x, int y) override;
    KLResult onRightButtonUp(unsigned keys, int x, int y) override;
    KLResult onMouseMove(unsigned keys, int x, int y) override;
    KLResult onCaptureChanged(KWindowHandle gaining) override;
    KLResult onKillFocus(KWindowHandle gaining) override;
    KLResult onAppMessage(unsigned message, KWParam wParam, KLParam lParam) override;
    KLResult onCommand(unsigned id, unsigned code, KWindowHandle control) override;
    // WM_MOUSEWHEEL and WM_MOUSELEAVE have no handlers of their own: they
    // arrive here. A wheel the skin does not use goes to the system's
    // default, which hands it up.
    KLResult defaultProcessing(unsigned message, KWParam wParam, KLParam lParam) override;

    // KSkinWindow: what the skin asks of the window.
    bool isLive() const override { return KWindow::isLive(); }
    void invalidate() override;
    void openTextEntry(int x, int y, int w, int h, const KFontResource* font, int paramIndex) override;
    void openLink(const char* target) override;

    // Installs the cursor for a skin cursor code (2 hand, 3 I-beam, other
    // codes the arrow) unless it is the one set last.
    void setCursorKind(int kind);
    int cursorKind() const { return cursorKind_; }
    KCanvas* canvas() const { return canvas_.get(); }
    KTextEntry& textEntry() { return textEntry_; }

private:
    // A button message: the skin's handler for it, then the capture it asks
    // for (a press) or gives back (a release), then the cursor.
    using ButtonHandler = bool (KSkin::*)(bool shift, bool ctrl, int x, int y);
    KLResult button(ButtonHandler handler, bool press, unsigned keys, int x, int y);
    // WM_MOUSEWHEEL: true when a control used it.
    bool wheel(KWParam wParam, KLParam lParam);
    void updateCursor(int x, int y);
    void captureLost();

    KSkin* skin_;  // not owned: the editor owns it
    std::unique_ptr<KCanvas> canvas_;
    int cursorKind_ = kCursorDefault;
    KTextEntry textEntry_;
};

}  // namespace kx
