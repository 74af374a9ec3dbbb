#include "editor/linux/x11_error_trap.h"

#include <atomic>
#include <mutex>

namespace kx {

namespace {

// The innermost trap of this thread: Xlib calls the handler on the thread
// whose call read the error.
thread_local X11ErrorTrap* tInnermost = nullptr;

// The handler in force before ours, for errors that are not ours. Kept
// process-wide because the handler is.
std::atomic<XErrorHandler> gForeignHandler{nullptr};

// Outermost traps alive on all threads (the text box's watch has its own):
// ours is installed while there is one, so that no thread puts the foreign
// handler back while another thread's trap still counts on ours.
std::mutex gInstallMutex;
int gLiveTraps = 0;

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display, X11ErrorRecord& record)
    : display_(display), record_(record), outer_(tInnermost) {
    tInnermost = this;
    if (outer_)
        return;
    std::lock_guard<std::mutex> lock(gInstallMutex);
    if (gLiveTraps++ == 0) {
        XErrorHandler replaced = XSetErrorHandler(&X11ErrorTrap::onError);
        if (replaced != &X11ErrorTrap::onError)
            gForeignHandler.store(replaced);
    }
}

X11ErrorTrap::~X11ErrorTrap() {
    tInnermost = outer_;
    if (outer_)
        return;
    std::lock_guard<std::mutex> lock(gInstallMutex);
    // Put back what was there, unless someone replaced ours meanwhile.
    if (--gLiveTraps == 0) {
        XErrorHandler current = XSetErrorHandler(gForeignHandler.load());
        if (current != &X11ErrorTrap::onError)
            XSetErrorHandler(current);
    }
}

int X11ErrorTrap::onError(Display* display, XErrorEvent* error) {
    for (X11ErrorTrap* trap = tInnermost; trap; trap = trap->outer_)
        if (trap->display_ == display) {
            X11ErrorRecord& r = trap->record_;
            ++r.count;
            r.lastCode = error->error_code;
            r.lastRequest = error->request_code;
            r.lastResource = error->resourceid;
            r.lastSerial = error->serial;
            return 0;
        }
    XErrorHandler foreign = gForeignHandler.load();
    return foreign && foreign != &X11ErrorTrap::onError ? foreign(display, error) : 0;
}

}  // namespace kx
