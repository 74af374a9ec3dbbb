// A window manager on the server DISPLAY names, as users run one (openbox):
// it frames, places and focuses the top-level windows mapped after it came
// up, and ends with the program that started it.
#pragma once

typedef struct _XDisplay Display;

namespace kx::x11 {

class WindowManager {
public:
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    bool running() const { return running_; }

private:
    int pid_ = -1;
    bool running_ = false;
    Display* display_ = nullptr;
};

}  // namespace kx::x11
