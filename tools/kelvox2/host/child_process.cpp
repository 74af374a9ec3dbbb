#include "kelvox2/host/child_process.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kx {

namespace {

// Copies `text` into a fixed buffer, always terminated.
void copyBounded(char* to, size_t size, const std::string& text) {
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(to, text.data(), n);
    to[n] = '\0';
}

// At most 64 KB of the file's end, split into its non-empty lines, each cut
// to 200 characters.
std::vector<std::string> linesOf(int fd) {
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size <= 0)
        return {};
    const off_t start = size > 65536 ? size - 65536 : 0;
    std::string data(static_cast<size_t>(size - start), '\0');
    size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = ::pread(fd, data.data() + got, data.size() - got, start + static_cast<off_t>(got));
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    data.resize(got);
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin < data.size()) {
        size_t end = data.find('\n', begin);
        if (end == std::string::npos)
            end = data.size();
        std::string line = data.substr(begin, end - begin);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.size() > 200)
            line = line.substr(0, 197) + "...";
        if (!line.empty())
            lines.push_back(line);
        begin = end + 1;
    }
    return lines;
}

// What a reader needs of the child's output: a sanitizer's report cut to its
// heading, the top frames of each stack and its summary; else the last lines.
std::string summariseOutput(const std::vector<std::string>& lines) {
    size_t report = lines.size();
    for (size_t i = 0; i < lines.size() && report == lines.size(); ++i)
        for (const char* heading :
             {"ERROR: AddressSanitizer", "WARNING: ThreadSanitizer", "runtime error:", "ERROR: LeakSanitizer"})
            if (lines[i].find(heading) != std::string::npos)
                report = i;
    std::string out;
    if (report == lines.size()) {
        const size_t first = lines.size() > 12 ? lines.size() - 12 : 0;
        for (size_t i = first; i < lines.size(); ++i)
            out += lines[i] + "\n";
        return out;
    }
    int frames = 0;
    bool showing = true;
    for (size_t i = report; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const size_t text = line.find_first_not_of(' ');
        const bool frame = text != std::string::npos && line.compare(text, 1, "#") == 0;
        if (!frame) {
            frames = 0;
            // The accesses, not where their memory or threads came from.
            bool access = i == report || line.rfind("SUMMARY:", 0) == 0;
            for (const char* start : {"  Read", "  Write", "  Previous", "  Atomic", "READ of", "WRITE of"})
                access = access || line.rfind(start, 0) == 0;
            showing = access;
            if (access)
                out += line + "\n";
            if (line.rfind("SUMMARY:", 0) == 0)
                break;
        } else if (showing && frames++ < 3) {
            out += line + "\n";
        }
    }
    return out;
}

// Set by the signal handler: the one piece of process-wide state the tool
// keeps, as a signal can reach it no other way.
volatile std::sig_atomic_t gInterrupted = 0;

void onInterrupt(int) { gInterrupted = 1; }

}  // namespace

void stopOnInterrupt() {
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool interrupted() { return gInterrupted != 0; }

void SharedReport::setStage(const std::string& text) {
    stageSequence.fetch_add(1, std::memory_order_acq_rel);
    // Byte by byte through atomics: the parent may read at the same time.
    const size_t n = text.size() < sizeof stage - 1 ? text.size() : sizeof stage - 1;
    for (size_t i = 0; i < n; ++i)
        std::atomic_ref<char>(stage[i]).store(text[i], std::memory_order_relaxed);
    std::atomic_ref<char>(stage[n]).store('\0', std::memory_order_relaxed);
    stageSequence.fetch_add(1, std::memory_order_acq_rel);
    heartbeat.fetch_add(1, std::memory_order_relaxed);
}

std::string SharedReport::readStage() const {
    char copy[sizeof stage];
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::uint32_t before = stageSequence.load(std::memory_order_acquire);
        if (before & 1u)
            continue;
        for (size_t i = 0; i < sizeof stage; ++i)
            copy[i] = std::atomic_ref<char>(const_cast<char&>(stage[i])).load(std::memory_order_relaxed);
        if (stageSequence.load(std::memory_order_acquire) == before)
            break;
    }
    copy[sizeof copy - 1] = '\0';
    return copy;
}

void SharedReport::setText(const std::string& t, bool complete) {
    copyBounded(text, sizeof text, t);
    if (complete)
        finished.store(1, std::memory_order_release);
}

std::string signalName(int signal) {
    const char* abbrev = ::sigabbrev_np(signal);
    const char* description = ::sigdescr_np(signal);
    std::string name = abbrev ? std::string("SIG") + abbrev : "signal " + std::to_string(signal);
    if (description)
        name += std::string(" (") + description + ")";
    return name;
}

std::string ChildOutcome::describe(double hangSeconds) const {
    char text[512];
    switch (end) {
    case End::Finished: return "finished";
    case End::Signal: std::snprintf(text, sizeof text, "crashed with %s", signalName(signal).c_str()); break;
    case End::Exit:
        std::snprintf(text, sizeof text, "the process exited with status %d before the test ended", exitStatus);
        break;
    case End::Hung: std::snprintf(text, sizeof text, "hung: no progress for %.0f s; stopped", hangSeconds); break;
    case End::Interrupted: return "stopped: the run was interrupted";
    case End::NotStarted: return "could not start a child process: " + error;
    }
    std::string s = text;
    if (!lastStage.empty())
        s += " while " + lastStage;
    return s;
}

ChildOutcome runInChild(const std::function<void(SharedReport&)>& body, const ChildOptions& options) {
    ChildOutcome outcome;
    void* page = ::mmap(nullptr, sizeof(SharedReport), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) {
        outcome.error = std::strerror(errno);
        return outcome;
    }
    auto* report = new (page) SharedReport;
    FILE* capture = std::tmpfile();
    std::fflush(nullptr);
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        outcome.error = std::strerror(errno);
        if (capture)
            std::fclose(capture);
        ::munmap(page, sizeof(SharedReport));
        return outcome;
    }
    if (pid == 0) {
        // The child: its output to the capture file, no core files, its own
        // display, then the body.
        if (capture) {
            ::dup2(::fileno(capture), STDOUT_FILENO);
            ::dup2(::fileno(capture), STDERR_FILENO);
        }
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        struct rlimit noCore = {0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        if (!options.keepDisplay) {
            if (options.display.empty())
                ::unsetenv("DISPLAY");
            else
                ::setenv("DISPLAY", options.display.c_str(), 1);
        }
        body(*report);
        std::fflush(nullptr);
        ::_exit(0);
    }

    // The parent: watch the heartbeat until the child ends.
    std::uint64_t lastBeat = report->heartbeat.load();
    auto lastProgress = std::chrono::steady_clock::now();
    int status = 0;
    bool hung = false, stopped = false;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR) {
            status = 0;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const auto now = std::chrono::steady_clock::now();
        const std::uint64_t beat = report->heartbeat.load();
        if (beat != lastBeat) {
            lastBeat = beat;
            lastProgress = now;
        }
        if (options.progress)
            options.progress(report->readStage(), std::chrono::duration<double>(now - started).count());
        stopped = interrupted();
        if (stopped || std::chrono::duration<double>(now - lastProgress).count() > options.hangSeconds) {
            hung = !stopped;
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    outcome.lastStage = report->readStage();
    // The child is gone: nothing writes the text any more.
    outcome.report.assign(report->text, strnlen(report->text, sizeof report->text));
    if (stopped) {
        outcome.end = ChildOutcome::End::Interrupted;
    } else if (hung) {
        outcome.end = ChildOutcome::End::Hung;
    } else if (WIFSIGNALED(status)) {
        outcome.end = ChildOutcome::End::Signal;
        outcome.signal = WTERMSIG(status);
    } else if (report->finished.load(std::memory_order_acquire)) {
        outcome.end = ChildOutcome::End::Finished;
        outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    } else {
        outcome.end = ChildOutcome::End::Exit;
        outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (capture) {
        outcome.output = summariseOutput(linesOf(::fileno(capture)));
        std::fclose(capture);
    }
    report->~SharedReport();
    ::munmap(page, sizeof(SharedReport));
    return outcome;
}

}  // namespace kx
