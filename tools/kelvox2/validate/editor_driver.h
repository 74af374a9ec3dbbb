// EditorDriver: one instance's editor as a host shows it: the rectangle
// asked before and after opening, a parent window of that size, the editor
// opened into it, idled, closed, and the window tree checked after each step.
// User-interface thread only.
#pragma once

#include <string>

#include "kelvox2/validate/test_host.h"
#include "x11-harness/host_window.h"
#include "x11-harness/x_connection.h"
#include "x11-harness/xtest_input.h"

namespace kx::validate {

// The battery's side of the X server: one connection for its windows and
// questions about them, XTest input at screen coordinates, and X errors
// recorded rather than ending the process.
struct EditorHost {
    bool open(const std::string& display, std::string* error) {
        x11::recordXErrors();
        if (!connection.open(display, error))
            return false;
        input = x11::XTestInput(connection.display(), 0);
        return true;
    }
    Display* display() const { return connection.display(); }

    x11::XConnection connection;
    x11::XTestInput input;
};

class EditorDriver {
public:
    EditorDriver(Instance& instance, EditorHost& x) : instance_(instance), x_(x) {}
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
    // True when the host's window shows more than one colour.
    bool showsSomething() const;
    int width() const { return width_; }
    int height() const { return height_; }
    // The editor's area on the screen.
    bool screenArea(int* x, int* y) { return x11::screenPosition(x_.display(), parent_.window(), x, y); }

private:
    Instance& instance_;
    EditorHost& x_;
    x11::HostWindow parent_;
    int width_ = 0, height_ = 0;
    bool open_ = false;
    int opens_ = 0;
};

}  // namespace kx::validate
