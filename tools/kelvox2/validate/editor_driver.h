// EditorDriver: one instance's editor as a host shows it: the rectangle
// asked before and after opening, a parent window of that size, the editor
// opened into it, idled, closed, and the window tree checked after each step.
// User-interface thread only.
#pragma once

#include "kelvox2/validate/test_host.h"
#include "kelvox2/validate/x_session.h"

namespace kx::validate {

class EditorDriver {
public:
    EditorDriver(Instance& instance, XHost& x) : instance_(instance), x_(x) {}
    ~EditorDriver();

    // effEditGetRect, its pointer written into a guarded slot. False (and a
    // fault reported) when no believable rectangle came back.
    bool rect(int* width, int* height);
    // Parent window at (x, y), then effEditOpen; `passDisplay` hands the
    // host's Display in `value`, as some hosts do. Checks the child window.
    bool open(int x, int y, bool passDisplay);
    // effEditIdle `times` times, `pauseMs` apart.
    void idle(int times, int pauseMs = 5);
    // effEditClose; the child window must be gone afterwards.
    void close();
    // The host destroys its window while the editor is still open.
    void destroyParentFirst();
    bool isOpen() const { return open_; }
    XHost::Window parent() const { return parent_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The editor's area on the screen.
    bool screenArea(int* x, int* y) { return x_.screenPosition(parent_, x, y); }

private:
    Instance& instance_;
    XHost& x_;
    XHost::Window parent_ = 0;
    int width_ = 0, height_ = 0;
    bool open_ = false;
    int opens_ = 0;
};

}  // namespace kx::validate
