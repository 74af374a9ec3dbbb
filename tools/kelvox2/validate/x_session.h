// The host's side of editors on X11: a private Xvfb server for the whole
// run, and in each test its own connection with parent windows, window
// queries and synthetic pointer and key input through XTest.
#pragma once

#include <string>
#include <vector>

typedef struct _XDisplay Display;
typedef unsigned long XID;

namespace kx::validate {

// An Xvfb server started for the run; stopped with the object.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    static bool available();
    // Starts a server on a free display number; `display` gets ":N".
    bool start(std::string* display, std::string* error);
    void stop();

private:
    int pid_ = 0;
};

class XHost {
public:
    using Window = XID;

    XHost() = default;
    ~XHost();
    XHost(const XHost&) = delete;
    XHost& operator=(const XHost&) = delete;

    // Connects to `display`; also sets the process's X error handler, which
    // records errors instead of ending the process.
    bool open(const std::string& display, std::string* error);
    Display* display() const { return display_; }
    bool hasXTest() const { return xtest_; }

    // A mapped top-level window at (x, y) of the screen, for an editor.
    Window createParent(int x, int y, int width, int height);
    void destroy(Window window);
    void sync();
    std::vector<Window> children(Window parent);
    bool size(Window window, int* width, int* height);
    // Screen position of the window's top-left corner.
    bool screenPosition(Window window, int* x, int* y);
    // True when the window shows more than one colour.
    bool showsSomething(Window window);

    // Synthetic input, at screen coordinates.
    void moveTo(int x, int y);
    void button(int button, bool press);
    // A key by its keysym name ("a", "Return", "Left"); false if unknown.
    bool key(const char* keysymName, bool press);
    // Releases every button and key this object pressed.
    void releaseAll();

    // X errors of any connection in this process since the start.
    static int errorCount();
    static std::string lastError();

private:
    Display* display_ = nullptr;
    bool xtest_ = false;
    std::vector<int> buttonsDown_;
    std::vector<unsigned> keysDown_;
};

}  // namespace kx::validate
