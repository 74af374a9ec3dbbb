#include "x11-harness/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kx::x11 {

namespace {

bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    const std::string dirs = path;
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

XvfbServer::XvfbServer(const ScreenSize& screen) {
    std::string error;
    if (start(screen, &error))
        ::setenv("DISPLAY", name_.c_str(), 1);
}

bool XvfbServer::available() { return onPath("Xvfb"); }

bool XvfbServer::start(const ScreenSize& screen, std::string* error) {
    stop();
    // Xvfb takes the first display whose socket and lock it can claim, so
    // servers starting side by side get different numbers; one that lost a
    // race for a lock left by a server just ending is tried again.
    for (int attempt = 0; attempt < 3; ++attempt)
        if (startOnce(screen, error))
            return true;
    return false;
}

bool XvfbServer::startOnce(const ScreenSize& screen, std::string* error) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    // Everything the child needs is made before the fork: a child of a
    // program with threads may only make async-signal-safe calls.
    const std::string fd = std::to_string(fds[1]);
    const std::string size =
        std::to_string(screen.width) + "x" + std::to_string(screen.height) + "x" + std::to_string(screen.depth);
    const char* argv[] = {"Xvfb",      "-displayfd", fd.c_str(), "-screen",    "0",     size.c_str(),
                          "-nolisten", "tcp",        "-noreset", "+extension", "XTEST", nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::fcntl(fds[1], F_SETFD, 0);
        const int quiet = ::open("/dev/null", O_RDWR);
        if (quiet >= 0) {
            ::dup2(quiet, 0);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
        }
        ::execvp("Xvfb", const_cast<char* const*>(argv));
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        *error = std::string("cannot start Xvfb: ") + std::strerror(errno);
        return false;
    }
    pid_ = pid;
    // The server writes its display number once it accepts connections.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        char c;
        if (::read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        stop();
        *error = "Xvfb did not report a display";
        return false;
    }
    name_ = ":" + number;
    return true;
}

void XvfbServer::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = -1;
    name_.clear();
}

}  // namespace kx::x11
