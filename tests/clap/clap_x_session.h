// The X server and host window of the gui tests, from the project's X11
// harness.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "x11-harness/host_window.h"
#include "x11-harness/xvfb_server.h"

namespace kx::testing::clapx {
using Host = x11::HostWindow;
// One server per test program, started by the first test that needs it.
inline bool serverRunning() {
    static x11::XvfbServer server{x11::ScreenSize{}};
    return server.running();
}
}  // namespace kx::testing::clapx

namespace kx::testing::clapx {

// Polls until the condition holds or the time runs out, calling step (the
// host's main loop) between checks; answers the condition.
inline bool waitUntil(const std::function<bool()>& condition, const std::function<void()>& step, int timeoutMs = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        step();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace kx::testing::clapx
