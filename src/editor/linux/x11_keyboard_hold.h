// X11KeyboardHold: the text box's hold on the keyboard. An active keyboard
// grab brings every key to the box wherever the host puts the focus, and a
// pointer grab beside it brings a click outside to the box, which ends it
// (never the keyboard grab without the pointer one).
//
// Grabs take the keys and clicks of the whole desktop, and the box sees them
// only while the host calls idle. So the grabs are taken again at each idle,
// which also tells when the server has ended them (the host hid or unmapped
// the editor: the box has to close); and a watch gives them up once the host
// has not called idle for a second (a modal dialog, a busy host), committing
// nothing, until the next idle takes them again.
//
// The watch is a thread that waits for that second. It makes its requests on
// the editor's own connection, which Xlib locks for it (see
// connectWindowSystem), inside an error trap of its own; it reads and writes
// nothing of the binding's.
//
// Threads: the user-interface thread; the watch has its own.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "editor/linux/x11_error_trap.h"

namespace kx {

class X11KeyboardHold {
public:
    // How long the grabs outlast the host's last idle.
    static constexpr std::chrono::milliseconds kUnserved{1000};

    enum class Renewal {
        held,     // both grabs are ours
        waiting,  // another program holds a grab now: the next idle tries again
        lost,     // the window can hold no grab (unmapped, hidden): give up
    };

    X11KeyboardHold(Display* display, X11ErrorRecord& errors) : display_(display), errors_(errors) {}
    ~X11KeyboardHold() { release(true); }
    X11KeyboardHold(const X11KeyboardHold&) = delete;
    X11KeyboardHold& operator=(const X11KeyboardHold&) = delete;

    // Both grabs for the window, and the watch; false (nothing held) when
    // the server refuses either.
    bool take(Window window);
    // Gives the grabs up. keepPointer: the pointer grab now serves a capture.
    void release(bool keepPointer);
    // At each idle: the grabs again (only the keyboard's while capturing).
    Renewal renew(bool capturing);
    bool held() const { return window_ != None; }

private:
    void served();
    void watch();

    Display* display_;
    X11ErrorRecord& errors_;
    Window window_ = None;
    std::thread watch_;
    std::mutex mutex_;
    std::condition_variable wake_;
    // Under mutex_:
    bool stop_ = false;
    bool dropped_ = false;
    std::chrono::steady_clock::time_point lastServed_;
    X11ErrorRecord watchErrors_;
};

}  // namespace kx
