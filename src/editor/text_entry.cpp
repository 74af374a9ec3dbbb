#include "editor/text_entry.h"

#include "controls/param_edit.h"
#include "graphics/font.h"
#include "graphics/text_renderer.h"
#include "plugin/effect.h"
#include "skin/skin.h"

namespace kx {

KTextEntry::~KTextEntry() { abandon(); }

void KTextEntry::open(KWindow& editorWindow, int x, int y, int w, int h, const KFont* font, int parameterIndex) {
    if (!skin_)
        return;
    parameterIndex_ = parameterIndex;
    KWindowSystem* system = editorWindow.windowSystem();
    KEffect* effect = skin_->effect();
    if (!editorWindow.isLive() || !system || !effect || !font || parameterIndex < 0)
        return;
    if (!isLive()) {
        KCreateStruct params;
        params.className = kEditClassName;
        params.style = WS_CHILD | ES_CENTER;
        params.parent = editorWindow.hwnd();
        params.instance = system->moduleHandle();
        if (!createControl(*system, params))
            return;
        // What a commit can read.
        system->sendMessage(hwnd_, EM_LIMITTEXT, kTextSize - 1, 0);
    }
    system->sendMessage(hwnd_, WM_SETFONT, platformFontHandle(font->platformFont()), 0);
    system->setWindowPos(hwnd_, x, y, w, h);
    const char* value = effect->getBank().valueText(effect->getCurrentProgram(), parameterIndex);
    system->sendMessage(hwnd_, WM_SETTEXT, 0, reinterpret_cast<KLParam>(value));
    system->sendMessage(hwnd_, EM_SETSEL, 0, -1);
    skin_->SuspendRepaint(true);
    system->showWindow(hwnd_, true);
    system->setFocus(hwnd_);
    if (!keyboardHeld_ && isLive()) {
        system->holdKeyboard(hwnd_);
        keyboardHeld_ = true;
    }
    cancelled_ = false;
}

void KTextEntry::abandon() {
    cancelled_ = true;
    destroyControl();
}

bool KTextEntry::hostKey(bool down, unsigned virtualKey, unsigned char character, bool shift, bool control) {
    if (!isOpen())
        return false;
    KWindowSystem& system = *system_;
    const KWindowHandle box = hwnd_;
    system.setKeyModifiers(shift, control);
    if (!down) {
        system.sendMessage(box, WM_KEYUP, virtualKey, kKeyUpFlags);
        return true;
    }
    system.sendMessage(box, WM_KEYDOWN, virtualKey, 1);
    // What TranslateMessage would add; Return and Escape may have closed the box.
    if (character && system.isWindow(box))
        system.sendMessage(box, WM_CHAR, character, 1);
    return true;
}

void KTextEntry::destroyControl() {
    if (isLive())
        system_->destroyWindow(hwnd_);
}

KLResult KTextEntry::onKeyDown(unsigned virtualKey, KLParam lParam) {
    if (virtualKey == VK_RETURN) {
        destroyControl();  // the lost focus commits
        return 0;
    }
    if (virtualKey == VK_ESCAPE) {
        cancelled_ = true;
        destroyControl();
        return 0;
    }
    return KSubclassedWindow::onKeyDown(virtualKey, lParam);
}

KLResult KTextEntry::onKillFocus(KWindowHandle gaining) {
    // Destroying the box from here takes its focus once more.
    if (closing_)
        return 0;
    closing_ = true;
    if (!cancelled_)
        commit();
    destroyControl();
    closing_ = false;
    return isLive() ? KSubclassedWindow::onKillFocus(gaining) : 0;
}

KLResult KTextEntry::onDestroy() {
    if (keyboardHeld_ && system_) {
        system_->releaseKeyboard();
        keyboardHeld_ = false;
    }
    if (skin_)
        skin_->SuspendRepaint(false);
    return KSubclassedWindow::onDestroy();
}

KLResult KTextEntry::onAppMessage(unsigned message, KWParam wParam, KLParam lParam) {
    return sendToParent(message, wParam, lParam);
}

KLResult KTextEntry::onCommand(unsigned id, unsigned code, KWindowHandle control) {
    return sendToParent(WM_COMMAND, makeWParam(id, code), static_cast<KLParam>(control));
}

void KTextEntry::commit() {
    text_[0] = '\0';
    bool edited = false;
    if (isLive()) {
        system_->sendMessage(hwnd_, WM_GETTEXT, kTextSize, reinterpret_cast<KLParam>(text_));
        edited = system_->sendMessage(hwnd_, EM_GETMODIFY, 0, 0) != 0;
    }
    text_[kTextSize - 1] = '\0';
    KEffect* effect = skin_ ? skin_->effect() : nullptr;
    // The box shows the rounded display text: read back untouched, it would
    // move the value and tell the host of a change nobody made.
    if (parameterIndex_ < 0 || !effect || !edited)
        return;
    // Nor is a text that reads as the value already stored (or that the
    // parameter cannot read, which keeps it) a change to report.
    KParamEdit edit(effect, parameterIndex_);
    const KParam* param = effect->getParam(parameterIndex_);
    double reading = edit.value();
    if (param)
        param->setFromText(&reading, text_);
    if (!param || reading == edit.value())
        return;
    edit.setWith([&] {
        effect->getBank().setFromText(effect->getCurrentProgram(), parameterIndex_, text_);
        effect->parameterChanged(parameterIndex_);
        effect->parametersChanged(0);
    });
}

}  // namespace kx
