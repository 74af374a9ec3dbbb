// Runs a piece of work with a plug-in in a child process of its own, so that
// a crash, an abort, an exit or a hang of the plug-in ends only that piece
// (a test of the validate battery, a measurement of bench --instances). The child
// reports through a page of shared memory: a heartbeat, its current stage
// and, at the end, its findings as text. Its standard output and error go to
// a file the parent reads afterwards.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace kx {

struct SharedReport {
    std::atomic<std::uint64_t> heartbeat{0};
    // Sequence lock for `stage`: odd while the child writes it.
    std::atomic<std::uint32_t> stageSequence{0};
    char stage[256] = {};
    std::atomic<int> finished{0};  // set once `text` is complete
    char text[64 * 1024] = {};

    // Child side. The text may be set any number of times (so that findings
    // made before a crash survive it); the last call marks it complete.
    void setStage(const std::string& text);
    void setText(const std::string& text, bool complete = true);
    // Parent side: a consistent copy, terminated.
    std::string readStage() const;
};

struct ChildOutcome {
    enum class End {
        Finished,     // the body returned and the report is complete
        Signal,       // killed by `signal`
        Exit,         // left through exit() or _exit() with `exitStatus`, report incomplete
        Hung,         // no heartbeat for the time limit; killed
        Interrupted,  // the user stopped the run; killed
        NotStarted,   // fork failed
    };
    End end = End::NotStarted;
    int signal = 0;
    int exitStatus = 0;
    double seconds = 0.0;
    std::string lastStage;  // what the child was doing when it ended
    std::string report;     // the child's findings text (complete when finished)
    std::string output;     // the last lines the child printed
    std::string error;      // why it did not start

    // "crashed with SIGSEGV (Segmentation fault)", "hung ...", and so on.
    std::string describe(double hangSeconds) const;
};

struct ChildOptions {
    double hangSeconds = 60.0;  // stopped after this long without a heartbeat
    std::string display;        // DISPLAY for the child; empty leaves it unset
    bool keepDisplay = false;   // the child keeps the parent's DISPLAY instead
    // Called about ten times a second in the parent with the child's stage.
    std::function<void(const std::string& stage, double seconds)> progress;
};

// Runs `body` in a forked child. The body gets the shared report; it should
// write its stage now and then and set the text at its end.
ChildOutcome runInChild(const std::function<void(SharedReport&)>& body, const ChildOptions& options);

// "SIGSEGV (Segmentation fault)".
std::string signalName(int signal);

// From now on SIGINT and SIGTERM stop the child that runs and make
// interrupted() true, so that the run can end in order (and stop what it
// started) instead of dying on the spot.
void stopOnInterrupt();
bool interrupted();

}  // namespace kx
