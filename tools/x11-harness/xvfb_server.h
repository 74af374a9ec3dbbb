// A private Xvfb server. It picks a free display number itself (other
// programs, among them test programs run in parallel, start servers too)
// and ends with the program that started it, however that ends.
#pragma once

#include <string>

namespace kx::x11 {

struct ScreenSize {
    int width = 1280;
    int height = 1024;
    int depth = 24;
};

class XvfbServer {
public:
    XvfbServer() = default;
    // Starts a server and points DISPLAY at it; running() tells whether it
    // came up.
    explicit XvfbServer(const ScreenSize& screen);
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Whether Xvfb is on the PATH.
    static bool available();
    // Starts a server on a free display; name() then gives ":N".
    bool start(const ScreenSize& screen, std::string* error);
    void stop();

    bool running() const { return pid_ > 0 && !name_.empty(); }
    const std::string& name() const { return name_; }

private:
    bool startOnce(const ScreenSize& screen, std::string* error);

    int pid_ = -1;
    std::string name_;
};

}  // namespace kx::x11
