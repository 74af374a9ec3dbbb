// AEffEditor: what the VST layer asks of an editor. The effect owns its
// editor; the host calls all of these on its user-interface thread.
#pragma once

#include "plugin/vst_abi.h"

namespace kx {

class AEffEditor {
public:
    virtual ~AEffEditor() = default;

    // Stores a pointer to the editor's own rectangle, valid before open and
    // after; true when a rectangle was given.
    virtual bool getRect(ERect** rect) = 0;
    // `parent` is the host's window (an X11 Window id on Linux, an HWND on
    // Windows); true when the editor opened.
    virtual bool open(void* parent) = 0;
    virtual void close() = 0;
    // Periodic tick while open: the editor processes its events and repaints.
    virtual void idle() {}
    // True when the editor used the key.
    virtual bool onKeyDown(VstKeyCode& key) {
        (void)key;
        return false;
    }
    virtual bool onKeyUp(VstKeyCode& key) {
        (void)key;
        return false;
    }
    // True when the editor used the wheel turn.
    virtual bool onWheel(float distance) {
        (void)distance;
        return false;
    }
    virtual bool setKnobMode(VstInt32 mode) {
        (void)mode;
        return false;
    }
};

}  // namespace kx
