#include "editor/editor_window.h"

#include <exception>

#include "editor/link_launcher.h"
#include "graphics/resource.h"
#include "skin/skin.h"

namespace kx {

KEditorWindow::KEditorWindow(KSkin* skin) : skin_(skin), textEntry_(skin) {
    if (skin_)
        skin_->setWindow(this);
}

KEditorWindow::~KEditorWindow() {
    textEntry_.abandon();
    destroyWindow();
    if (skin_ && skin_->window() == static_cast<KSkinWindow*>(this))
        skin_->setWindow(nullptr);
}

void KEditorWindow::creationParameters(KCreateStruct& params) {
    params.style = WS_CHILD | WS_VISIBLE;
    params.width = skin_ ? skin_->width() : 0;
    params.height = skin_ ? skin_->height() : 0;
}

KLResult KEditorWindow::onCreate(const KCreateStruct* params) {
    KWindow::onCreate(params);
    if (!skin_)
        return -1;
    // The skin may have forgotten a window that was closed.
    skin_->setWindow(this);
    skin_->WindowOpened();
    const int width = skin_->width(), height = skin_->height();
    if (!canvas_ || canvas_->width() != width || canvas_->height() != height) {
        canvas_.reset();
        try {
            canvas_ = std::make_unique<KCanvas>(width, height);
        } catch (const std::exception&) {
            // A size that cannot be held: no window, so that open answers false.
        }
    }
    if (!canvas_ || !canvas_->pixels()) {
        canvas_.reset();
        return -1;
    }
    skin_->ResetCanvas(*canvas_);
    // A new platform window shows its class's arrow.
    cursorKind_ = kCursorDefault;
    return 0;
}

KLResult KEditorWindow::onPaint() {
    if (!canvas_)
        return defaultProcessing(WM_PAINT, 0, 0);
    skin_->Paint(*canvas_);
    system_->present(hwnd_, *canvas_);
    return 0;
}

KLResult KEditorWindow::button(ButtonHandler handler, bool press, unsigned keys, int x, int y) {
    if (press)
        system_->setFocus(hwnd_);
    if ((skin_->*handler)(keys & MK_SHIFT, keys & MK_CONTROL, x, y)) {
        if (press)
            system_->setCapture(hwnd_);
        else
            system_->releaseCapture();
    }
    updateCursor(x, y);
    return 0;
}

KLResult KEditorWindow::onLeftButtonDown(unsigned keys, int x, int y) {
    return button(&KSkin::LeftDown, true, keys, x, y);
}

KLResult KEditorWindow::onRightButtonDown(unsigned keys, int x, int y) {
    return button(&KSkin::RightDown, true, keys, x, y);
}

KLResult KEditorWindow::onLeftButtonUp(unsigned keys, int x, int y) {
    return button(&KSkin::LeftUp, false, keys, x, y);
}

KLResult KEditorWindow::onRightButtonUp(unsigned keys, int x, int y) {
    return button(&KSkin::RightUp, false, keys, x, y);
}

KLResult KEditorWindow::onMouseMove(unsigned keys, int x, int y) {
    skin_->MouseMove(keys & MK_SHIFT, x, y);
    updateCursor(x, y);
    return 0;
}

KLResult KEditorWindow::onCaptureChanged(KWindowHandle) {
    captureLost();
    return 0;
}

KLResult KEditorWindow::onKillFocus(KWindowHandle) {
    captureLost();
    return 0;
}

KLResult KEditorWindow::onAppMessage(unsigned message, KWParam wParam, KLParam lParam) {
    return sendToParent(message, wParam, lParam);
}

KLResult KEditorWindow::onCommand(unsigned id, unsigned code, KWindowHandle control) {
    return sendToParent(WM_COMMAND, makeWParam(id, code), static_cast<KLParam>(control));
}

KLResult KEditorWindow::defaultProcessing(unsigned message, KWParam wParam, KLParam lParam) {
    if (message == WM_MOUSEWHEEL && wheel(wParam, lParam))
        return 0;
    // A wheel edit ends when the pointer leaves.
    if (message == WM_MOUSELEAVE && skin_)
        skin_->EndWheel();
    return KWindow::defaultProcessing(message, wParam, lParam);
}

bool KEditorWindow::wheel(KWParam wParam, KLParam lParam) {
    // The point comes in screen pixels; the distance in 120ths of a notch.
    int x = pointX(lParam), y = pointY(lParam);
    if (!skin_ || !system_ || !system_->screenToClient(hwnd_, x, y))
        return false;
    const double notches = static_cast<int16_t>(hiWord(wParam)) / 120.0;
    return skin_->Wheel((loWord(wParam) & MK_SHIFT) != 0, notches, x, y);
}

void KEditorWindow::captureLost() {
    system_->releaseCapture();
    skin_->CaptureLost();
    setCursorKind(kCursorArrow);
}

void KEditorWindow::invalidate() {
    if (isLive())
        system_->invalidate(hwnd_);
}

void KEditorWindow::openTextEntry(int x, int y, int w, int h, const KFontResource* font, int paramIndex) {
    textEntry_.open(*this, x, y, w, h, font ? font->fontPtr() : nullptr, paramIndex);
}

void KEditorWindow::openLink(const char* target) { kx::openLink(target); }

void KEditorWindow::updateCursor(int x, int y) { setCursorKind(skin_->CursorAt(x, y)); }

void KEditorWindow::setCursorKind(int kind) {
    if (kind == cursorKind_)
        return;
    KCursorShape shape = kind == kCursorHand   ? KCursorShape::hand
                         : kind == kCursorText ? KCursorShape::textBeam
                                               : KCursorShape::arrow;
    if (isLive())
        system_->setCursor(hwnd_, shape);
    cursorKind_ = kind;
}

}  // namespace kx
