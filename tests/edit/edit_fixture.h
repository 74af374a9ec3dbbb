// Shared by the `kelvox2 edit` tests: the tool run as a child process whose
// output lines are read as they come, under a private Xvfb of the X11
// harness, and PNG files read back.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "x11-harness/host_window.h"
#include "x11-harness/xvfb_server.h"

extern char** environ;

namespace kelvox2::testing {

// The tool as a child process: stdout read line by line as it is written,
// stderr gathered in a file.
class ToolProcess {
public:
    // `display` empty: the child has no DISPLAY at all. `extraEnv` holds
    // NAME=VALUE entries added to (or replacing) the test's environment.
    ToolProcess(const std::vector<std::string>& args, const std::string& display,
                const std::vector<std::string>& extraEnv = {}) {
        errorPath_ =
            ::testing::TempDir() + "kx_edit_stderr_" + std::to_string(::getpid()) + "_" + std::to_string(counter()++);
        std::vector<std::string> all = {KX_TOOL_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env;
        std::vector<std::string> replaced = extraEnv;
        replaced.push_back("DISPLAY=");
        for (char** e = environ; *e; ++e) {
            bool keep = true;
            for (const std::string& r : replaced)
                keep = keep && std::strncmp(*e, r.c_str(), r.find('=') + 1) != 0;
            if (keep)
                env.push_back(*e);
        }
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        if (!display.empty())
            env.push_back("DISPLAY=" + display);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        int fds[2];
        if (::pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 2, errorPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~ToolProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        if (out_ >= 0)
            ::close(out_);
        std::remove(errorPath_.c_str());
    }
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    // The next line of stdout; false at its end or after `seconds`.
    bool readLine(std::string& line, double seconds = 20) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (;;) {
            size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                lines_.push_back(line);
                return true;
            }
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd p{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char chunk[4096];
            ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0)
                return false;
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }
    // Reads lines until one starts with `prefix`; that line, or empty.
    std::string waitFor(const std::string& prefix, double seconds = 20) {
        std::string line;
        while (readLine(line, seconds))
            if (line.compare(0, prefix.size(), prefix) == 0)
                return line;
        return "";
    }
    // Every line up to the end of stdout.
    const std::vector<std::string>& readAll(double seconds = 30) {
        std::string line;
        while (readLine(line, seconds)) {
        }
        return lines_;
    }
    const std::vector<std::string>& lines() const { return lines_; }
    // The lines that are host notifications or session events of the tool,
    // without whatever else a plug-in prints on the same stdout.
    std::vector<std::string> events() const {
        std::vector<std::string> out;
        for (const std::string& l : lines_)
            for (const char* word :
                 {"open ", "begin-edit ", "automate ", "end-edit ", "size-window ", "reload ", "host-wheel ", "close"})
                if (l.compare(0, std::strlen(word), word) == 0)
                    out.push_back(l);
        return out;
    }

    void signal(int number) {
        if (pid_ > 0)
            ::kill(pid_, number);
    }
    // The exit status; -1 for a child ended by a signal.
    int wait() {
        if (pid_ <= 0)
            return status_;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = 0;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return status_;
    }
    std::string errors() const {
        std::ifstream in(errorPath_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    pid_t pid_ = 0;
    int out_ = -1;
    int status_ = -1;
    std::string errorPath_;
    std::string buffer_;
    std::vector<std::string> lines_;
};

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    bool operator==(const Png& o) const { return width == o.width && height == o.height && rgb == o.rgb; }
};

inline Png readPng(const std::string& path) {
    Png png;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return png;
    image.format = PNG_FORMAT_RGB;
    png.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr)) {
        png.width = int(image.width);
        png.height = int(image.height);
    }
    return png;
}

inline std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + "kx_edit_" + std::to_string(::getpid()) + "_" + name;
}

inline void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

inline bool fileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// Tests that need a display share one server per test program run.
class EditToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new kx::x11::XvfbServer(kx::x11::ScreenSize{}); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (!server_->running())
            FAIL() << "Xvfb did not start (scripts/install-deps.sh installs it)";
    }
    const std::string& display() const { return server_->name(); }

    static inline kx::x11::XvfbServer* server_ = nullptr;
};

}  // namespace kelvox2::testing
