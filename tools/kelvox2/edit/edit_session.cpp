#include "kelvox2/edit/edit_session.h"

#include <X11/Xlib.h>

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "kelvox2/commands/command_messages.h"
#include "kelvox2/commands/skin_report.h"
#include "kelvox2/edit/replay_player.h"
#include "kelvox2/edit/replay_script.h"
#include "kelvox2/edit/skin_stage.h"
#include "kelvox2/edit/vst_keys.h"
#include "kelvox2/headless_skin.h"
#include "kelvox2/host/plugin_host.h"
#include "kelvox2/host/plugin_lookup.h"
#include "kelvox2/host/plugin_module.h"
#include "kelvox2/host/png_writer.h"
#include "x11-harness/host_window.h"

namespace kelvox2 {

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

constexpr int kIdleIntervalMs = 33;  // about 30 Hz, as DAWs idle their editors
constexpr int kSettleMs = 300;       // after opening, for the first pictures to land
constexpr int kFinishMs = 150;       // after a replay, for the last repaint to land
constexpr int kReloadQuietMs = 100;  // an editor may save in several writes
constexpr int kDefaultSide = 300;    // for an editor that gives no size before opening
constexpr int kMaxSide = 16384;

const CommandMessages messages("edit");

// Set by SIGINT and SIGTERM; signal dispositions are process-wide.
volatile std::sig_atomic_t gStopSignal = 0;
void onStopSignal(int signal) { gStopSignal = signal; }

// Xlib's default handler ends the process on any error, the plug-in's
// included; a host reports and carries on. The handler is process-wide.
bool gReportXErrors = false;
int tolerateXError(Display* display, XErrorEvent* event) {
    if (gReportXErrors) {
        char text[160] = {};
        XGetErrorText(display, event->error_code, text, sizeof text - 1);
        char line[320];
        std::snprintf(line, sizeof line, "X error: %s (request %d.%d, resource 0x%lx)", text, event->request_code,
                      event->minor_code, event->resourceid);
        messages.say(line);
    }
    return 0;
}

// While a session shows its window: SIGINT and SIGTERM close it, a reader of
// our lines that goes away (| head) does not end the process before the
// editor is closed and the private folder removed, and X errors are reported
// instead of ending the process. Everything is put back on destruction.
class SessionSignals {
public:
    explicit SessionSignals(bool reportXErrors) {
        gReportXErrors = reportXErrors;
        previousXHandler_ = XSetErrorHandler(tolerateXError);
        struct sigaction stop {
        }, ignore{};
        stop.sa_handler = onStopSignal;
        sigemptyset(&stop.sa_mask);
        sigaction(SIGINT, &stop, &previousInt_);
        sigaction(SIGTERM, &stop, &previousTerm_);
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &previousPipe_);
    }
    ~SessionSignals() {
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
        sigaction(SIGPIPE, &previousPipe_, nullptr);
        XSetErrorHandler(previousXHandler_);
    }
    SessionSignals(const SessionSignals&) = delete;
    SessionSignals& operator=(const SessionSignals&) = delete;

private:
    XErrorHandler previousXHandler_ = nullptr;
    struct sigaction previousInt_ {
    }, previousTerm_{}, previousPipe_{};
};

// Parses the script as the plug-in will and prints the checker's report on
// stderr (stdout carries the session's lines); false, with the reason, for
// a script the plug-in would not show.
bool checkSkin(const std::string& path, SkinCheck& check, std::string& error) {
    check = checkSkinFile(path.c_str(), stderr);
    if (!check.unreadable.empty())
        error = check.unreadable;
    else if (check.status == 2)
        error = path + " declares no size and pages (see kelvox2 check-skin)";
    return error.empty();
}

class EditSession {
public:
    explicit EditSession(const EditOptions& options) : options_(options) {}
    ~EditSession();
    int run();

private:
    bool loadPlugin(std::string& error);
    bool editorSize(int& width, int& height) const;
    // `announce` prints the open and close lines (a reload prints its own).
    bool openEditor(std::string& error, bool announce);
    void closeEditor(bool announce);
    // The settling pause, the events, the picture; the exit status.
    int replayAndCapture(const std::vector<ReplayStep>& steps);
    void reloadSkin();
    bool stopped() const { return closed_ || gStopSignal != 0; }
    // One idle tick: the window's events, a due reload, effEditIdle, and
    // what the plug-in told the host.
    void service();
    // Idles for `ms` milliseconds at the idle rate; at least one tick.
    void pump(int ms);
    void handleWindowEvents();
    void forwardKey(XKeyEvent& event, bool down);
    void report();
    // The exit status: 0 saved, 1 the window could not be read, 2 the file
    // could not be written.
    int saveScreenshot(std::string& error);

    EditOptions options_;
    kx::PluginHost host_;
    kx::x11::HostWindow window_;
    std::unique_ptr<SkinStage> stage_;
    SkinCheck shownCheck_;  // the check of the skin on screen
    kx::PluginModule pin_;  // keeps the staged library loaded between instances
    bool editorOpen_ = false;
    bool closed_ = false;
    bool skinChanged_ = false;
    Clock::time_point skinChangedAt_;
};

EditSession::~EditSession() {
    closeEditor(false);
    window_.close();
    host_.unload();
    pin_.close();
}

bool EditSession::loadPlugin(std::string& error) {
    host_.sizeWindowEnabled = true;
    if (!host_.load(stage_ ? stage_->pluginCopy() : options_.pluginPath, &error))
        return false;
    host_.open();
    host_.setSampleRate(static_cast<float>(host_.hostSampleRate));
    host_.setBlockSize(host_.hostBlockSize);
    host_.mainsChanged(true);
    return true;
}

bool EditSession::editorSize(int& width, int& height) const {
    ERect* rect = nullptr;
    // Some plug-ins fill the rectangle and still answer 0: the pointer decides.
    host_.dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect)
        return false;
    const int w = rect->right - rect->left, h = rect->bottom - rect->top;
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide)
        return false;
    width = w;
    height = h;
    return true;
}

bool EditSession::openEditor(std::string& error, bool announce) {
    int width = 0, height = 0;
    if (editorSize(width, height))
        window_.resize(width, height);
    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window_.window()));
    if (!host_.dispatch(effEditOpen, 0, 0, parent)) {
        report();
        error = "the plug-in's editor did not open";
        return false;
    }
    editorOpen_ = true;
    // Hosts ask again after opening: the final size may differ.
    if (editorSize(width, height))
        window_.resize(width, height);
    if (announce)
        std::printf("open %d %d 0x%lx\n", window_.width(), window_.height(), window_.window());
    report();
    return true;
}

void EditSession::closeEditor(bool announce) {
    if (!editorOpen_)
        return;
    host_.dispatch(effEditClose);
    editorOpen_ = false;
    report();
    if (announce) {
        std::printf("close\n");
        std::fflush(stdout);
    }
}

void EditSession::reloadSkin() {
    std::string error;
    SkinCheck check;
    if (!checkSkin(stage_->skinPath(), check, error) || !stage_->stage(error)) {
        messages.say(error + "; the editor keeps the skin it shows");
        return;
    }
    for (const std::string& lost : describeLostImages(shownCheck_, check))
        messages.say("reload: " + lost);
    shownCheck_ = std::move(check);
    // The new instance takes over the old one's parameters and program.
    std::vector<uint8_t> bank = host_.getChunk(false);
    const VstIntPtr program = host_.getProgram();
    closeEditor(false);
    if (!loadPlugin(error)) {
        messages.say(error);
        closed_ = true;
        return;
    }
    if (!bank.empty())
        host_.setChunk(bank, false);
    host_.setProgram(program);
    host_.clearRecordedCalls();
    if (!openEditor(error, false)) {
        messages.say(error + " with the changed skin");
        return;
    }
    std::printf("reload %d %d\n", window_.width(), window_.height());
    std::fflush(stdout);
}

void EditSession::report() {
    for (const kx::HostCall& call : host_.recordedCalls()) {
        switch (call.opcode) {
        case audioMasterBeginEdit: std::printf("begin-edit %d\n", call.index); break;
        case audioMasterAutomate: std::printf("automate %d %.6f\n", call.index, static_cast<double>(call.opt)); break;
        case audioMasterEndEdit: std::printf("end-edit %d\n", call.index); break;
        case audioMasterSizeWindow:
            std::printf("size-window %d %ld\n", call.index, static_cast<long>(call.value));
            if (call.index > 0 && call.index <= kMaxSide && call.value > 0 && call.value <= kMaxSide)
                window_.resize(call.index, static_cast<int>(call.value));
            break;
        default: break;
        }
    }
    host_.clearRecordedCalls();
    std::fflush(stdout);
}

void EditSession::forwardKey(XKeyEvent& event, bool down) {
    if (!editorOpen_)
        return;
    std::string name;
    VstKeyCode key = vstKeyFromX(event, &name);
    VstIntPtr used = host_.dispatch(down ? effEditKeyDown : effEditKeyUp, key.character, key.virt, nullptr,
                                    static_cast<float>(key.modifier));
    if (options_.verbose)
        messages.say(std::string("key ") + (down ? "down " : "up ") + name + ": " +
                     (used ? "used by the editor" : "not used"));
    report();
}

void EditSession::handleWindowEvents() {
    for (;;) {
        kx::x11::HostWindowEvent event = window_.nextEvent();
        switch (event.kind) {
        case kx::x11::HostWindowEvent::Kind::Empty: return;
        case kx::x11::HostWindowEvent::Kind::Close: closed_ = true; return;
        case kx::x11::HostWindowEvent::Kind::KeyDown:
        case kx::x11::HostWindowEvent::Kind::KeyUp:
            forwardKey(event.key, event.kind == kx::x11::HostWindowEvent::Kind::KeyDown);
            break;
        case kx::x11::HostWindowEvent::Kind::Wheel:
            std::printf("host-wheel %s\n", event.wheelUp ? "up" : "down");
            std::fflush(stdout);
            break;
        }
    }
}

void EditSession::service() {
    handleWindowEvents();
    if (stopped())
        return;
    const Clock::time_point now = Clock::now();
    if (stage_ && stage_->takeChanges()) {
        skinChanged_ = true;
        skinChangedAt_ = now;
    }
    if (skinChanged_ && now - skinChangedAt_ >= Milliseconds(kReloadQuietMs)) {
        skinChanged_ = false;
        reloadSkin();
    }
    if (editorOpen_)
        host_.dispatch(effEditIdle);
    report();
}

void EditSession::pump(int ms) {
    const Clock::time_point deadline = Clock::now() + Milliseconds(ms);
    do {
        service();
        const Clock::time_point tick = std::min(Clock::now() + Milliseconds(kIdleIntervalMs), deadline);
        // Between ticks, answer the window at once (keys, the close button).
        for (Clock::time_point now = Clock::now(); !stopped() && now < tick; now = Clock::now()) {
            if (XPending(window_.display())) {
                handleWindowEvents();
                continue;
            }
            const auto wait = std::chrono::duration_cast<Milliseconds>(tick - now).count();
            pollfd p{window_.fd(), POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(wait) + 1);
        }
    } while (!stopped() && Clock::now() < deadline);
}

int EditSession::replayAndCapture(const std::vector<ReplayStep>& steps) {
    std::string error;
    bool finished = true;
    pump(kSettleMs);
    if (!steps.empty()) {
        if (!kx::x11::XTestInput::available(window_.display(), &error)) {
            messages.say(error);
            return 1;
        }
        kx::x11::XTestInput& player = window_.input();
        for (const ReplayStep& step : steps) {
            if (stopped()) {
                finished = false;
                break;
            }
            if (step.kind == ReplayStep::Kind::Wait) {
                pump(step.milliseconds);
            } else if (playReplayStep(player, step, error)) {
                window_.sync();
                service();  // the editor takes the step's events now
            } else {
                messages.say(options_.eventsPath + ":" + std::to_string(step.line) + ": " + error);
                player.releaseAll();
                return 1;
            }
        }
        player.releaseAll();
    }
    if (!options_.screenshotPath.empty()) {
        if (stopped()) {
            finished = false;
        } else {
            pump(kFinishMs);
            if (const int status = saveScreenshot(error)) {
                messages.say(error);
                return status;
            }
            messages.say("wrote " + options_.screenshotPath + " (" + std::to_string(window_.width()) + " x " +
                         std::to_string(window_.height()) + ")");
        }
    }
    if (!finished) {
        messages.say("closed before the events and the picture were done");
        return gStopSignal ? 128 + gStopSignal : 1;
    }
    return 0;
}

int EditSession::saveScreenshot(std::string& error) {
    std::vector<uint32_t> pixels;
    if (!window_.capture(pixels, &error))
        return 1;
    return kx::writePixelsPng(pixels.data(), window_.width(), window_.height(), options_.screenshotPath.c_str(), error)
               ? 0
               : 2;
}

int EditSession::run() {
    // Input files first: nothing opens for a run that cannot go through.
    std::vector<ReplayStep> steps;
    std::string error;
    if (!options_.eventsPath.empty() && !readReplayFile(options_.eventsPath, steps, error)) {
        messages.say(error);
        return 2;
    }
    if (!options_.skinPath.empty()) {
        if (!checkSkin(options_.skinPath, shownCheck_, error)) {
            messages.say(error);
            return 2;
        }
        std::string library;
        if (!kx::locatePlugin(options_.pluginPath, library, error)) {
            messages.say(error);
            return 2;
        }
        stage_ = std::make_unique<SkinStage>();
        if (!stage_->create(library, options_.skinPath, error) || !stage_->stage(error)) {
            messages.say(error);
            return 2;
        }
        // A second dlopen of the same file gives the same module, so each
        // new instance reads the staged skin afresh without a reload.
        pin_.open(stage_->pluginCopy());
    }
    if (!loadPlugin(error)) {
        messages.say(error);
        return 2;
    }
    if (options_.program >= 0) {
        if (options_.program >= host_.numPrograms()) {
            messages.say("program " + std::to_string(options_.program) + " does not exist: the plug-in has " +
                         std::to_string(host_.numPrograms()) + " (0 to " + std::to_string(host_.numPrograms() - 1) +
                         ")");
            return 2;
        }
    }
    kx::StateOptions state = options_.state;
    state.program = options_.program;
    std::vector<std::string> warnings;
    const kx::StateFault fault = kx::applyStateOptions(host_, state, warnings, error);
    for (const std::string& warning : warnings)
        messages.say(warning);
    if (fault != kx::StateFault::Ok) {
        messages.say(error);
        return 2;
    }
    if (!(host_.effect()->flags & effFlagsHasEditor)) {
        messages.say(options_.pluginPath + " has no editor");
        return 2;
    }

    SessionSignals signals(options_.verbose);
    int status = 0;
    int width = kDefaultSide, height = kDefaultSide;
    editorSize(width, height);
    std::string name = host_.effectName();
    if (name.empty())
        name = options_.pluginPath.substr(options_.pluginPath.find_last_of('/') + 1);
    kx::x11::HostWindowOptions look;
    look.title = "kelvox2 edit: " + name;
    look.fixedSize = true;
    look.closable = true;
    look.takesInput = true;
    if (!window_.open(width, height, look, &error) || !openEditor(error, true)) {
        messages.say(error);
        status = 1;
    } else {
        status = replayAndCapture(steps);
        while (!options_.quit && !stopped())
            pump(1000);
    }
    closeEditor(true);
    window_.close();
    return status;
}

}  // namespace

const char* const kEditOutputHelp =
    "  open W H WINDOW      the editor opened, W x H pixels, in the X window WINDOW\n"
    "  begin-edit I         the plug-in began a gesture on parameter I\n"
    "  automate I VALUE     the plug-in set parameter I to VALUE (0 to 1)\n"
    "  end-edit I           the gesture on parameter I ended\n"
    "  size-window W H      the plug-in asked for a new window size\n"
    "  host-wheel up|down   a wheel notch the editor did not use reached the host's window\n"
    "  reload W H           the changed skin is shown (--skin)\n"
    "  close                the editor closed\n";

int runEditSession(const EditOptions& options) {
    EditSession session(options);
    return session.run();
}

}  // namespace kelvox2
