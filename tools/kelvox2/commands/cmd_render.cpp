// kelvox2 render: plays a Standard MIDI File through a plug-in into an audio file.
#include "kelvox2/commands/subcommands.h"

#include "kelvox2/commands/command_messages.h"

#include "kelvox2/host/audio_writer.h"
#include "kelvox2/host/fx_preset.h"
#include "kelvox2/host/midi_file.h"
#include "kelvox2/host/midi_renderer.h"
#include "kelvox2/host/option_reader.h"
#include "kelvox2/host/output_file.h"
#include "kelvox2/host/parameter_shape.h"
#include "kelvox2/host/plugin_host.h"
#include "kelvox2/host/plugin_lookup.h"
#include "kelvox2/host/plugin_presets.h"
#include "kelvox2/host/state_options.h"

#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace kelvox2 {

namespace {

constexpr double kMaxSongSeconds = 24 * 3600.0;

const char kUsage[] =
    "usage: kelvox2 render [PLUGIN] IN.mid OUT [OPTIONS]\n"
    "       kelvox2 render [PLUGIN] --save-fxp FILE | --save-fxb FILE [OPTIONS]\n"
    "\n"
    "Plays a Standard MIDI File (format 0 or 1) through a VST 2.4 plug-in and\n"
    "writes what it plays to OUT. Notes still sounding when the song ends get\n"
    "their note-offs there, so that their release rings in the tail.\n"
    "PLUGIN is a path or a name looked for in VST_PATH, ~/.vst, /usr/local/lib/vst\n"
    "and /usr/lib/vst; it defaults to the Kelvox2.so next to this program.\n"
    "\n"
    "options:\n"
    "  --format FORMAT    float (32-bit float WAV), wav16, wav24, flac (24-bit) or\n"
    "                     aiff (32-bit float); by default OUT's extension decides:\n"
    "                     .wav float, .flac, .aif/.aiff\n"
    "  --channels N       channels in OUT, 1..8 (default: the plug-in's outputs);\n"
    "                     a mono plug-in plays on every channel\n"
    "  --rate HZ          sample rate (default 44100)\n"
    "  --block FRAMES     frames per processing block, 1..8192 (default 512)\n"
    "  --double           process in 64-bit floating point\n"
    "  --program N        select program N first\n"
    "  --fxb FILE         load a bank (.fxb) before that\n"
    "  --fxp FILE         load a program (.fxp) into the current program\n"
    "  --set NAME=VALUE   set a parameter; repeatable. NAME in any letter case, or a\n"
    "                     unique start of it. VALUE is one of its choices (any case,\n"
    "                     or a unique start: Wave2=saw) or a number, with its unit\n"
    "                     or a scaled one (Attk1=500ms); numbers outside the range\n"
    "                     are clamped. 'kelvox2 info --params' lists what each takes\n"
    "  --tail TIME        keep rendering after the song, 0 to 3600 s, in seconds or\n"
    "                     with a unit (1.5, 0.5s, 500ms; default 2 s); 'auto' renders\n"
    "                     until the output has stayed below -90 dBFS for a second,\n"
    "                     60 s at the most\n"
    "  --save-fxp FILE    save the current program, after the settings above\n"
    "  --save-fxb FILE    save the whole bank, after the settings above\n"
    "  --quiet            no progress line\n"
    "  -h, --help         show this help\n"
    "\n"
    "An output never replaces one of the inputs; writing through a symbolic link\n"
    "writes the file it points to. A failed render leaves an earlier OUT as it was;\n"
    "so does one stopped by Ctrl+C (exit status 130) or SIGTERM (143).\n";

struct RenderOptions {
    std::vector<std::string> operands;
    kx::RenderSettings settings;
    bool formatGiven = false;
    kx::AudioFormat format = kx::AudioFormat::Float;
    int channels = 0;  // 0: as many as the plug-in has outputs
    kx::StateOptions state;
    std::string saveFxp, saveFxb;
    bool quiet = false;
};

const CommandMessages kReport("render");

EarlyExit parseOptions(int argc, char** argv, RenderOptions& o) {
    kx::OptionReader r(argc, argv);
    std::string value;
    while (r.next()) {
        if (r.isOperand()) {
            o.operands.push_back(r.operand());
        } else if (r.is("-h") || r.is("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (r.is("--double")) {
            o.settings.doublePrecision = true;
        } else if (r.is("--quiet")) {
            o.quiet = true;
        } else if (r.is("--format")) {
            if (!r.value(value) || !kx::audioFormatFromName(value, o.format))
                return kReport.usageError("--format needs float, wav16, wav24, flac or aiff, not '" + value + "'");
            o.formatGiven = true;
        } else if (r.is("--channels")) {
            if (!r.value(value) || !kx::parseInteger(value, 1, 8, o.channels))
                return kReport.usageError("--channels needs a channel count from 1 to 8, not '" + value + "'");
        } else if (r.is("--rate")) {
            int rate = 0;
            if (!r.value(value) || !kx::parseInteger(value, 8000, 384000, rate))
                return kReport.usageError("--rate needs a whole number of Hz from 8000 to 384000, not '" + value + "'");
            o.settings.sampleRate = rate;
        } else if (r.is("--block")) {
            int block = 0;
            if (!r.value(value) || !kx::parseInteger(value, 1, 8192, block))
                return kReport.usageError("--block needs a frame count from 1 to 8192, not '" + value + "'");
            o.settings.blockSize = block;
        } else if (r.is("--tail")) {
            bool ok = r.value(value);
            if (ok && value == "auto") {
                o.settings.tailUntilQuiet = true;
                o.settings.tailSeconds = kx::kMaxAutoTailSeconds;
            } else if (ok && kx::parseSeconds(value, 0, 3600, o.settings.tailSeconds)) {
                o.settings.tailUntilQuiet = false;
            } else {
                return kReport.usageError("--tail needs seconds from 0 to 3600 (2, 0.5s, 500ms) or 'auto', not '" +
                                          value + "'");
            }
        } else if (kx::OptionTaken taken = kx::takeStateOption(r, o.state, value); taken != kx::OptionTaken::No) {
            if (taken == kx::OptionTaken::Bad)
                return kReport.usageError(value);
        } else if (r.is("--save-fxp") || r.is("--save-fxb")) {
            std::string name = r.name();
            if (!r.value(value) || value.empty())
                return kReport.usageError(name + " needs a file name");
            (name == "--save-fxp" ? o.saveFxp : o.saveFxb) = value;
        } else {
            return kReport.usageError("unknown option '" + r.name() + "'");
        }
        if (r.hasUnusedValue())
            return kReport.usageError("option '" + r.name() + "' takes no value");
    }
    return kCarryOn;
}

// Loads presets, selects the program and types the --set values, in that order.
EarlyExit applySettings(kx::PluginHost& host, const RenderOptions& o) {
    std::string error;
    std::vector<std::string> warnings;
    const kx::StateFault fault = kx::applyStateOptions(host, o.state, warnings, error);
    for (const std::string& warning : warnings)
        kReport.warn(warning);
    if (fault == kx::StateFault::Usage)
        return kReport.usageError(error);
    if (fault == kx::StateFault::File)
        return kReport.failure(error);
    if (!o.saveFxp.empty() && !kx::writeFile(o.saveFxp.c_str(), kx::writeFxp(kx::captureProgram(host)), error))
        return kReport.failure(error);
    if (!o.saveFxb.empty() && !kx::writeFile(o.saveFxb.c_str(), kx::writeFxb(kx::captureBank(host)), error))
        return kReport.failure(error);
    return kCarryOn;
}

// On a terminal one line that updates in place; in a log a line per quarter.
class Progress {
public:
    Progress(bool enabled, double totalSeconds, bool totalIsLimit)
        : enabled_(enabled && totalSeconds > 5.0),
          live_(isatty(STDERR_FILENO) == 1),
          total_(totalSeconds),
          limit_(totalIsLimit) {}
    void update(double doneSeconds) {
        if (!enabled_)
            return;
        int percent = int(100.0 * doneSeconds / total_);
        char line[96];
        std::snprintf(line, sizeof line, "rendering: %3d%% (%.1f of %s%.1f s)", percent, doneSeconds,
                      limit_ ? "at most " : "", total_);
        if (live_) {
            auto now = std::chrono::steady_clock::now();
            if (shown_ && now - last_ < std::chrono::milliseconds(200))
                return;
            last_ = now;
            std::fprintf(stderr, "\r%s   ", line);
        } else {
            if (shown_ && percent / 25 == lastQuarter_)
                return;
            lastQuarter_ = percent / 25;
            std::fprintf(stderr, "%s\n", line);
        }
        shown_ = true;
        std::fflush(stderr);
    }
    void finish() {
        if (shown_ && live_)
            std::fprintf(stderr, "\n");
    }

private:
    bool enabled_;
    bool live_;
    double total_;
    bool limit_;
    bool shown_ = false;
    int lastQuarter_ = -1;
    std::chrono::steady_clock::time_point last_;
};

// What the render wrote, for the closing line and the warnings.
struct Levels {
    double peak = 0.0;
    int64_t nonFinite = 0;
    int64_t overFullScale = 0;

    template <class T>
    void measure(const T* const* channels, int count, int frames) {
        for (int c = 0; c < count; ++c)
            for (int i = 0; i < frames; ++i) {
                const double v = channels[c][i];
                if (!std::isfinite(v)) {
                    ++nonFinite;
                    continue;
                }
                peak = std::max(peak, std::fabs(v));
                overFullScale += std::fabs(v) > 1.0;
            }
    }
};

// The signal that asked a render to stop (SIGINT, SIGTERM); 0 while none did.
// The handler only sets it: the render loop ends the render and removes what
// it wrote.
volatile std::sig_atomic_t gStopSignal = 0;

void onStopSignal(int signal) { gStopSignal = signal; }

// Ctrl+C and SIGTERM handled while it lives, as before afterwards.
class StopSignals {
public:
    StopSignals() {
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

std::string decibels(double level) {
    char text[32] = "-inf";
    if (level > 0.0)
        std::snprintf(text, sizeof text, "%+.1f", 20.0 * std::log10(level));
    return text;
}

int render(kx::PluginHost& host, const kx::MidiSong& song, const std::string& outPath, const RenderOptions& o) {
    kx::MidiRenderer renderer(host, song, o.settings);
    std::string error;
    const int fileChannels = o.channels > 0 ? o.channels : renderer.channels();
    // File channel c plays output c; a plug-in with fewer outputs repeats its last.
    std::vector<const float*> floatChannels(size_t(std::max(fileChannels, 0)));
    std::vector<const double*> doubleChannels(floatChannels.size());
    auto outputFor = [&](int c) { return std::min(c, renderer.channels() - 1); };
    kx::AudioWriter writer;
    StopSignals signals;
    if (renderer.channels() < 1)
        return kReport.failure("nothing to write: the plug-in has no audio outputs");
    if (!writer.open(outPath, o.format, int(std::lround(o.settings.sampleRate)), fileChannels, error))
        return kReport.failure(error);
    if (!renderer.start(error)) {
        writer.discard();
        return kReport.failure(error);
    }
    double rate = o.settings.sampleRate;
    Progress progress(!o.quiet, double(renderer.totalFrames()) / rate, o.settings.tailUntilQuiet);
    Levels levels;
    for (;;) {
        if (const int signal = gStopSignal) {
            renderer.stop();
            writer.discard();
            progress.finish();
            return kReport.failure(std::string("stopped by ") + (signal == SIGINT ? "Ctrl+C" : "SIGTERM") +
                                       "; nothing written to " + outPath,
                                   128 + signal);
        }
        int frames = renderer.renderBlock();
        if (frames == 0)
            break;
        for (int c = 0; c < fileChannels; ++c) {
            floatChannels[size_t(c)] = renderer.floatOutputs()[outputFor(c)];
            doubleChannels[size_t(c)] = renderer.doubleOutputs()[outputFor(c)];
        }
        bool ok;
        if (o.settings.doublePrecision) {
            levels.measure(renderer.doubleOutputs(), renderer.channels(), frames);
            ok = writer.write(doubleChannels.data(), size_t(frames), error);
        } else {
            levels.measure(renderer.floatOutputs(), renderer.channels(), frames);
            ok = writer.write(floatChannels.data(), size_t(frames), error);
        }
        if (!ok) {
            renderer.stop();
            writer.discard();
            return kReport.failure(error);
        }
        progress.update(double(renderer.position()) / rate);
    }
    renderer.stop();
    progress.finish();
    if (!writer.close(error))
        return kReport.failure(error);
    const double seconds = double(renderer.totalFrames()) / rate;
    const double tail = double(renderer.totalFrames() - renderer.songFrames()) / rate;
    std::printf("wrote %s: %.3f s (tail %.3f s), %s, %d channel%s at %g Hz, peak %s dBFS\n", outPath.c_str(), seconds,
                std::max(tail, 0.0), kx::describeAudioFormat(o.format), fileChannels, fileChannels == 1 ? "" : "s",
                rate, decibels(levels.peak).c_str());
    if (o.settings.tailUntilQuiet &&
        renderer.totalFrames() - renderer.songFrames() >= int64_t(std::ceil(kx::kMaxAutoTailSeconds * rate)))
        kReport.warn("the output had not fallen below -90 dBFS after " + std::to_string(int(kx::kMaxAutoTailSeconds)) +
                     " s of tail; the file ends there");
    if (kx::isIntegerFormat(o.format) && levels.overFullScale > 0)
        kReport.warn("the output peaks at " + decibels(levels.peak) + " dBFS: " + std::to_string(levels.overFullScale) +
                     " samples above full scale were clipped in the " + kx::describeAudioFormat(o.format) +
                     " file (use --format float to keep them, or lower the level)");
    if (levels.nonFinite > 0)
        return kReport.failure("the plug-in produced " + std::to_string(levels.nonFinite) +
                                   " samples that are not numbers; " + outPath + " holds them as they came",
                               1);
    return 0;
}

// Chooses the format from --format and OUT's name; carries on when they agree.
EarlyExit settleFormat(const std::string& outPath, RenderOptions& o) {
    kx::AudioFormat byName;
    const bool known = kx::audioFormatFromExtension(outPath, byName);
    if (!o.formatGiven) {
        if (!known)
            return kReport.usageError("unknown output format '" + outPath +
                                      "' (name it .wav, .flac or .aiff, or choose one with --format)");
        o.format = byName;
        return kCarryOn;
    }
    if (known && std::strcmp(kx::audioFormatExtension(byName), kx::audioFormatExtension(o.format)) != 0)
        return kReport.usageError(std::string("--format writes ") + kx::describeAudioFormat(o.format) + ", but '" +
                                  outPath + "' is named as " + kx::audioFormatExtension(byName) + "; name it ." +
                                  kx::audioFormatExtension(o.format));
    return kCarryOn;
}

}  // namespace

int runRender(int argc, char** argv) {
    RenderOptions o;
    if (EarlyExit exit = parseOptions(argc, argv, o))
        return *exit;

    bool saving = !o.saveFxp.empty() || !o.saveFxb.empty();
    std::string pluginName = defaultPluginPath();
    std::string midiPath, outPath;
    size_t n = o.operands.size();
    if (n == 3 || (n == 1 && saving))
        pluginName = o.operands[0];
    if (n >= 2) {
        midiPath = o.operands[n - 2];
        outPath = o.operands[n - 1];
    } else if (!(saving && n <= 1)) {
        return kReport.usageError(n == 0 ? "missing IN.mid and OUT" : "missing OUT");
    }
    if (n > 3)
        return kReport.usageError("too many operands");
    if (!outPath.empty())
        if (EarlyExit exit = settleFormat(outPath, o))
            return *exit;

    std::string pluginPath, error;
    if (!kx::locatePlugin(pluginName, pluginPath, error))
        return kReport.failure(error);
    kx::FileRoles files;
    files.input("the plug-in", pluginPath);
    files.input("the MIDI file", midiPath);
    files.input("the --fxp file", o.state.fxp);
    files.input("the --fxb file", o.state.fxb);
    files.output("the output", outPath);
    files.output("--save-fxp", o.saveFxp);
    files.output("--save-fxb", o.saveFxb);
    if (std::string clash = files.clash(); !clash.empty())
        return kReport.usageError(clash);

    // Read the song before loading anything, so a bad file fails fast.
    kx::MidiSong song;
    if (!midiPath.empty() && !kx::readMidiFile(midiPath.c_str(), song, error))
        return kReport.failure(error);
    // A few bytes of delta time can claim centuries; refuse before writing any of it.
    if (song.endSeconds > kMaxSongSeconds)
        return kReport.failure(midiPath + ": the song lasts " + std::to_string(int64_t(song.endSeconds / 3600)) +
                               " hours; at most " + std::to_string(int(kMaxSongSeconds / 3600)) + " are rendered");

    kx::PluginHost host;
    host.hostSampleRate = o.settings.sampleRate;
    host.hostBlockSize = o.settings.blockSize;
    if (!host.load(pluginPath, &error))
        return kReport.failure(error);
    host.open();
    host.setSampleRate(float(o.settings.sampleRate));
    host.setBlockSize(o.settings.blockSize);

    if (EarlyExit exit = applySettings(host, o))
        return *exit;
    if (midiPath.empty())
        return 0;
    return render(host, song, outPath, o);
}

}  // namespace kelvox2
