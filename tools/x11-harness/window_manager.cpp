#include "x11-harness/window_manager.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace kx::x11 {

namespace {

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

WindowManager::WindowManager() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int quiet = ::open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
        }
        ::execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid < 0)
        return;
    pid_ = pid;
    // It is up once it frames a window: a map requested while it is still
    // starting may go unanswered, so each probe gets a short while. The
    // connection stays open: another one would reuse the probes' ids, which
    // the window manager may not yet have forgotten.
    display_ = XOpenDisplay(nullptr);
    Display* display = display_;
    if (!display)
        return;
    const long long deadline = nowMs() + 10000;
    while (!running_ && nowMs() < deadline) {
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;  // it gave up
            break;
        }
        const Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
        XSelectInput(display, probe, StructureNotifyMask);
        XMapWindow(display, probe);
        XFlush(display);
        XEvent event;
        for (const long long wait = nowMs() + 300; !running_ && nowMs() < wait;) {
            if (XCheckTypedWindowEvent(display, probe, ReparentNotify, &event))
                running_ = true;
            else
                ::usleep(5000);
        }
        XDestroyWindow(display, probe);
        XSync(display, False);
    }
}

WindowManager::~WindowManager() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    if (display_)
        XCloseDisplay(display_);
}

}  // namespace kx::x11
