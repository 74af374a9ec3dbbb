#include "kelvox2/validate/x_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kx::validate {

namespace {

std::atomic<int> gErrors{0};
std::mutex gLastErrorLock;
std::string gLastError;

int recordError(Display* display, XErrorEvent* event) {
    char text[128] = {};
    XGetErrorText(display, event->error_code, text, sizeof text - 1);
    char line[256];
    std::snprintf(line, sizeof line, "%s (request %d, resource 0x%lx)", text, event->request_code, event->resourceid);
    gErrors.fetch_add(1);
    std::lock_guard<std::mutex> lock(gLastErrorLock);
    gLastError = line;
    return 0;
}

bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

// ---- XvfbServer --------------------------------------------------------------

bool XvfbServer::available() { return onPath("Xvfb"); }

bool XvfbServer::start(std::string* display, std::string* error) {
    int fds[2];
    if (::pipe(fds) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The server writes its display number to fd 3 once it accepts clients.
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"Xvfb",      "-displayfd", "3",          "-screen", "0",    "1920x1200x24",
                          "-nolisten", "tcp",        "+extension", "XTEST",   nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        *error = std::string("cannot start Xvfb: ") + std::strerror(spawned);
        return false;
    }
    pid_ = pid;
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        char c;
        const ssize_t n = ::read(fds[0], &c, 1);
        if (n <= 0 || c == '\n')
            break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        stop();
        *error = "Xvfb did not report a display";
        return false;
    }
    *display = ":" + number;
    return true;
}

void XvfbServer::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = 0;
}

// ---- XHost -------------------------------------------------------------------

XHost::~XHost() {
    if (display_) {
        releaseAll();
        XCloseDisplay(display_);
    }
}

bool XHost::open(const std::string& name, std::string* error) {
    XSetErrorHandler(recordError);
    display_ = XOpenDisplay(name.c_str());
    if (!display_) {
        *error = "cannot connect to the X display " + name;
        return false;
    }
    int event, errorBase, major, minor;
    xtest_ = XTestQueryExtension(display_, &event, &errorBase, &major, &minor) != 0;
    return true;
}

XHost::Window XHost::createParent(int x, int y, int width, int height) {
    const int screen = DefaultScreen(display_);
    Window w = XCreateSimpleWindow(display_, RootWindow(display_, screen), x, y, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, BlackPixel(display_, screen),
                                   WhitePixel(display_, screen));
    XStoreName(display_, w, "kelvox2 validate");
    XMapRaised(display_, w);
    XSync(display_, False);
    return w;
}

void XHost::destroy(Window window) {
    XDestroyWindow(display_, window);
    XSync(display_, False);
}

void XHost::sync() { XSync(display_, False); }

std::vector<XHost::Window> XHost::children(Window parent) {
    XSync(display_, False);
    ::Window root = 0, up = 0, *list = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(display_, parent, &root, &up, &list, &count) && list)
        result.assign(list, list + count);
    if (list)
        XFree(list);
    return result;
}

bool XHost::size(Window window, int* width, int* height) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display_, window, &a))
        return false;
    *width = a.width;
    *height = a.height;
    return true;
}

bool XHost::screenPosition(Window window, int* x, int* y) {
    ::Window child = 0;
    return XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, x, y, &child) != 0;
}

bool XHost::showsSomething(Window window) {
    int w = 0, h = 0;
    if (!size(window, &w, &h) || w <= 0 || h <= 0)
        return false;
    XImage* image =
        XGetImage(display_, window, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image)
        return false;
    const unsigned long first = XGetPixel(image, 0, 0);
    bool varied = false;
    for (int y = 0; y < h && !varied; y += 3)
        for (int x = 0; x < w; x += 3)
            if (XGetPixel(image, x, y) != first) {
                varied = true;
                break;
            }
    XDestroyImage(image);
    return varied;
}

void XHost::moveTo(int x, int y) {
    if (!xtest_)
        return;
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XFlush(display_);
}

void XHost::button(int button, bool press) {
    if (!xtest_)
        return;
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), press ? True : False, CurrentTime);
    XFlush(display_);
    auto at = std::find(buttonsDown_.begin(), buttonsDown_.end(), button);
    if (press && at == buttonsDown_.end())
        buttonsDown_.push_back(button);
    else if (!press && at != buttonsDown_.end())
        buttonsDown_.erase(at);
}

bool XHost::key(const char* keysymName, bool press) {
    if (!xtest_)
        return false;
    const KeySym sym = XStringToKeysym(keysymName);
    if (sym == NoSymbol)
        return false;
    const KeyCode code = XKeysymToKeycode(display_, sym);
    if (!code)
        return false;
    XTestFakeKeyEvent(display_, code, press ? True : False, CurrentTime);
    XFlush(display_);
    auto at = std::find(keysDown_.begin(), keysDown_.end(), code);
    if (press && at == keysDown_.end())
        keysDown_.push_back(code);
    else if (!press && at != keysDown_.end())
        keysDown_.erase(at);
    return true;
}

void XHost::releaseAll() {
    if (!display_ || !xtest_)
        return;
    for (int b : buttonsDown_)
        XTestFakeButtonEvent(display_, static_cast<unsigned>(b), False, CurrentTime);
    for (unsigned k : keysDown_)
        XTestFakeKeyEvent(display_, k, False, CurrentTime);
    buttonsDown_.clear();
    keysDown_.clear();
    XSync(display_, False);
}

int XHost::errorCount() { return gErrors.load(); }

std::string XHost::lastError() {
    std::lock_guard<std::mutex> lock(gLastErrorLock);
    return gLastError;
}

}  // namespace kx::validate
