#include "editor/editor.h"

#include <algorithm>

#include "editor/editor_window.h"
#include "editor/host_keys.h"
#include "editor/window_system.h"
#include "plugin/effect.h"
#include "skin/skin.h"

namespace kx {

namespace {

int16_t rectField(int v) { return static_cast<int16_t>(std::clamp(v, 0, 32767)); }

// Counts the editor's entry points in progress; the outermost one carries
// out a close that a host asked for from inside.
class KEditorCall {
public:
    explicit KEditorCall(KEditor& editor, int& depth, bool& closeDeferred)
        : editor_(editor), depth_(depth), closeDeferred_(closeDeferred) {
        ++depth_;
    }
    ~KEditorCall() {
        if (--depth_ == 0 && closeDeferred_) {
            closeDeferred_ = false;
            editor_.close();
        }
    }

private:
    KEditor& editor_;
    int& depth_;
    bool& closeDeferred_;
};

}  // namespace

KEditor::KEditor(KEffect* effect, std::unique_ptr<KSkin> skin) : effect_(effect), skin_(std::move(skin)) {
    // A new editor paints everything when it opens: earlier requests are void.
    if (effect_)
        effect_->takeEditorRefresh();
    if (skin_)
        window_ = std::make_unique<KEditorWindow>(skin_.get());
}

KEditor::~KEditor() {
    try {
        // The effect is going away: a box still open is dropped, not committed.
        if (window_)
            window_->textEntry().abandon();
        window_.reset();
        system_.reset();
    } catch (...) {
    }
}

bool KEditor::getRect(ERect** rect) {
    if (!rect)
        return false;
    rect_.top = 0;
    rect_.left = 0;
    rect_.bottom = rectField(skin_ ? skin_->height() : 0);
    rect_.right = rectField(skin_ ? skin_->width() : 0);
    *rect = &rect_;
    return true;
}

bool KEditor::open(void* parent) {
    if (depth_)
        return false;
    KEditorCall call(*this, depth_, closeDeferred_);
    try {
        if (openWindow(parent))
            return true;
    } catch (...) {
    }
    try {
        if (window_)
            window_->destroyWindow();
        system_.reset();
    } catch (...) {
    }
    systemWindow_ = 0;
    return false;
}

bool KEditor::openWindow(void* parent) {
    systemWindow_ = reinterpret_cast<uintptr_t>(parent);
    if (!window_ || !systemWindow_)
        return false;
    if (!system_)
        system_ = connectWindowSystem();
    if (!system_)
        return false;
    // Opened again: a host that destroyed its window since then has taken
    // ours with it, which only its events tell.
    system_->processEvents();
    window_->create(*system_, systemWindow_);
    if (!window_->KWindow::isLive())
        return false;
    system_->paintInvalidated();  // the first picture, without waiting for idle
    effect_->editorOpened();
    return true;
}

void KEditor::close() {
    if (depth_) {
        closeDeferred_ = true;
        return;
    }
    KEditorCall call(*this, depth_, closeDeferred_);
    try {
        closeWindow();
    } catch (...) {
    }
    systemWindow_ = 0;
}

void KEditor::closeWindow() {
    if (window_ && system_)
        window_->destroyWindow();
    system_.reset();
    systemWindow_ = 0;
    if (effect_)
        effect_->editorClosed();
}

void KEditor::idle() {
    if (depth_)
        return;
    KEditorCall call(*this, depth_, closeDeferred_);
    try {
        if (system_)
            system_->processEvents();
        applyRefresh();
        if (system_)
            system_->paintInvalidated();
    } catch (...) {
    }
}

void KEditor::applyRefresh() {
    if (!skin_)
        return;
    if (effect_ && effect_->takeEditorRefresh())
        refreshPending_ = true;
    if (!refreshPending_)
        return;
    // The tick wraps (every 49.7 days) and may read anything when the editor
    // starts: only a refresh seen to be recent holds this one back.
    const uint32_t now = skin_->TickCount();
    const int throttle = skin_->refreshThrottle();
    if (refreshed_ && throttle > 0 && now - lastRefreshTick_ < static_cast<uint32_t>(throttle))
        return;
    // Cleared before the repaint reads the values: a change made meanwhile
    // asks again and is painted next time.
    refreshPending_ = false;
    lastRefreshTick_ = now;
    refreshed_ = true;
    skin_->RequestRepaint();
}

bool KEditor::keyEntry(bool down, const VstKeyCode& key) {
    if (depth_ || !window_ || !system_ || !window_->textEntry().isOpen())
        return false;
    KEditorCall call(*this, depth_, closeDeferred_);
    try {
        const KHostKey k = translateHostKey(key);
        bool used = window_->textEntry().hostKey(down, k.virtualKey, k.character, k.shift, k.control);
        if (system_)
            system_->paintInvalidated();
        return used;
    } catch (...) {
        return false;
    }
}

bool KEditor::onKeyDown(VstKeyCode& key) { return keyEntry(true, key); }
bool KEditor::onKeyUp(VstKeyCode& key) { return keyEntry(false, key); }
bool KEditor::onWheel(float) { return false; }
bool KEditor::setKnobMode(VstInt32) { return false; }

}  // namespace kx
