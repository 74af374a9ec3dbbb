// KEditor: the editor the effect hands to the host. It owns the skin and the
// editor window, connects to the window system when the host opens it, and
// turns the effect's repaint requests (KEffect::refreshEditor, from any
// thread) into throttled repaints.
//
// Threads: every call comes on the host's user-interface thread.
#pragma once

#include <cstdint>
#include <memory>

#include "plugin/aeff_editor.h"

namespace kx {

class KEffect;
class KSkin;
class KEditorWindow;
class KWindowSystem;

class KEditor : public AEffEditor {
public:
    KEditor(KEffect* effect, std::unique_ptr<KSkin> skin);
    ~KEditor() override;

    KEffect* getEffect() const { return effect_; }
    // Top 0, left 0, bottom the skin's stored height, right its width (each
    // held to the 16-bit record).
    bool getRect(ERect** rect) override;
    // parent: the host's window. False without a window system, or when the
    // window could not be made.
    bool open(void* parent) override;
    void close() override;
    bool isOpen() const { return systemWindow_ != 0; }
    // Processes the window's events, carries out a pending refresh when the
    // throttle allows, and repaints what needs it.
    void idle() override;
    // Keys go to the text entry while it is open (true), else to the host.
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    bool onWheel(float distance) override;
    bool setKnobMode(VstInt32 mode) override;

    KSkin* skin() const { return skin_.get(); }
    KEditorWindow* window() const { return window_.get(); }
    // Null while closed.
    KWindowSystem* windowSystem() const { return system_.get(); }

private:
    bool openWindow(void* parent);
    void closeWindow();
    // The effect's repaint requests: at most one repaint per throttle
    // interval, and the last request is never lost.
    void applyRefresh();
    bool keyEntry(bool down, const VstKeyCode& key);

    KEffect* effect_;  // not owned
    uintptr_t systemWindow_ = 0;
    std::unique_ptr<KSkin> skin_;
    std::unique_ptr<KWindowSystem> system_;
    std::unique_ptr<KEditorWindow> window_;
    ERect rect_{};
    bool refreshPending_ = false;
    uint32_t lastRefreshTick_ = 0;
    bool refreshed_ = false;  // lastRefreshTick_ holds a refresh
    // Host calls made from inside our own (a host answering a parameter
    // report by idling the editor, or closing it) must not pull the window
    // system from under the call in progress.
    int depth_ = 0;
    bool closeDeferred_ = false;
};

}  // namespace kx
