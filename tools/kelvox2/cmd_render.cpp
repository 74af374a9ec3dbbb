// kelvox2 render: plays a Standard MIDI File through a plug-in into an audio file.
#include "subcommands.h"

#include "host/audio_writer.h"
#include "host/fx_preset.h"
#include "host/midi_file.h"
#include "host/midi_renderer.h"
#include "host/plugin_host.h"
#include "host/plugin_presets.h"
#include "host/option_reader.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace kelvox2 {

namespace {

constexpr double kMaxSongSeconds = 24 * 3600.0;

const char kUsage[] =
    "usage: kelvox2 render [PLUGIN] IN.mid OUT.wav [OPTIONS]\n"
    "       kelvox2 render [PLUGIN] --save-fxp FILE | --save-fxb FILE [OPTIONS]\n"
    "\n"
    "Plays a Standard MIDI File (format 0 or 1) through a VST 2.4 plug-in and\n"
    "writes what it plays to OUT: 32-bit float .wav or .aiff, or 24-bit .flac.\n"
    "PLUGIN defaults to the Kelvox2.so next to this program.\n"
    "\n"
    "options:\n"
    "  --rate HZ          sample rate (default 44100)\n"
    "  --block FRAMES     frames per processing block, 1..8192 (default 512)\n"
    "  --double           process in 64-bit floating point\n"
    "  --program N        select program N first\n"
    "  --fxb FILE         load a bank (.fxb) before that\n"
    "  --fxp FILE         load a program (.fxp) into the current program\n"
    "  --set NAME=TEXT    type TEXT into the parameter NAME (case ignored); repeatable\n"
    "  --tail SECONDS     keep rendering after the last MIDI event (default 2)\n"
    "  --save-fxp FILE    save the current program, after the settings above\n"
    "  --save-fxb FILE    save the whole bank, after the settings above\n"
    "  --quiet            no progress line\n"
    "  -h, --help         show this help\n";

struct RenderOptions {
    std::vector<std::string> operands;
    kx::RenderSettings settings;
    int program = -1;
    std::string fxp, fxb, saveFxp, saveFxb;
    std::vector<std::string> sets;
    bool quiet = false;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "kelvox2 render: %s\n(see 'kelvox2 render --help')\n", message.c_str());
    return 2;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "kelvox2 render: %s\n", message.c_str());
    return 1;
}

// Returns -1 when parsing succeeded, else the exit code.
int parseOptions(int argc, char** argv, RenderOptions& o) {
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
        } else if (r.is("--rate")) {
            int rate = 0;
            if (!r.value(value) || !kx::parseInteger(value, 8000, 384000, rate))
                return usageError("--rate needs a whole number of Hz from 8000 to 384000, not '" + value + "'");
            o.settings.sampleRate = rate;
        } else if (r.is("--block")) {
            int block = 0;
            if (!r.value(value) || !kx::parseInteger(value, 1, 8192, block))
                return usageError("--block needs a frame count from 1 to 8192, not '" + value + "'");
            o.settings.blockSize = block;
        } else if (r.is("--tail")) {
            if (!r.value(value) || !kx::parseNumber(value, 0, 3600, o.settings.tailSeconds))
                return usageError("--tail needs seconds from 0 to 3600, not '" + value + "'");
        } else if (r.is("--program")) {
            if (!r.value(value) || !kx::parseInteger(value, 0, 1 << 20, o.program))
                return usageError("--program needs a program number, not '" + value + "'");
        } else if (r.is("--set")) {
            if (!r.value(value) || value.find('=') == std::string::npos || value.front() == '=')
                return usageError("--set needs NAME=TEXT, not '" + value + "'");
            o.sets.push_back(value);
        } else if (r.is("--fxp") || r.is("--fxb") || r.is("--save-fxp") || r.is("--save-fxb")) {
            std::string name = r.name();
            if (!r.value(value) || value.empty()) return usageError(name + " needs a file name");
            (name == "--fxp" ? o.fxp : name == "--fxb" ? o.fxb : name == "--save-fxp" ? o.saveFxp : o.saveFxb) = value;
        } else {
            return usageError("unknown option '" + r.name() + "'");
        }
        if (r.hasUnusedValue()) return usageError("option '" + r.name() + "' takes no value");
    }
    return -1;
}

// Loads presets, selects the program and types the --set values, in that order.
int applySettings(kx::PluginHost& host, const RenderOptions& o) {
    std::string error;
    if (!o.fxb.empty()) {
        kx::FxBank bank;
        if (!kx::readFxbFile(o.fxb.c_str(), bank, error)) return failure(error);
        if (!kx::applyBank(host, bank, error)) return failure(o.fxb + ": " + error);
    }
    if (o.program >= 0) {
        if (o.program >= host.numPrograms())
            return failure("--program " + std::to_string(o.program) + ": the plug-in has " +
                           std::to_string(host.numPrograms()) + " programs (0.." +
                           std::to_string(host.numPrograms() - 1) + ")");
        host.setProgram(o.program);
    }
    if (!o.fxp.empty()) {
        kx::FxProgram program;
        if (!kx::readFxpFile(o.fxp.c_str(), program, error)) return failure(error);
        if (!kx::applyProgram(host, program, error)) return failure(o.fxp + ": " + error);
    }
    for (const std::string& s : o.sets) {
        size_t eq = s.find('=');
        std::string name = s.substr(0, eq), text = s.substr(eq + 1);
        int index = kx::findParameterByName(host, name);
        if (index < 0) {
            std::string known;
            for (int i = 0; i < host.numParams(); ++i) known += (i ? ", " : "") + host.paramName(i);
            return failure("--set: the plug-in has no parameter '" + name + "' (it has: " + known + ")");
        }
        if (!host.string2parameter(index, text))
            return failure("--set: the plug-in did not accept '" + text + "' for " + host.paramName(index));
    }
    if (!o.saveFxp.empty() && !kx::writeFile(o.saveFxp.c_str(), kx::writeFxp(kx::captureProgram(host)), error))
        return failure(error);
    if (!o.saveFxb.empty() && !kx::writeFile(o.saveFxb.c_str(), kx::writeFxb(kx::captureBank(host)), error))
        return failure(error);
    return -1;
}

// On a terminal one line that updates in place; in a log a line per quarter.
class Progress {
public:
    Progress(bool enabled, double totalSeconds)
        : enabled_(enabled && totalSeconds > 5.0), live_(isatty(STDERR_FILENO) == 1), total_(totalSeconds) {}
    void update(double doneSeconds) {
        if (!enabled_) return;
        int percent = int(100.0 * doneSeconds / total_);
        if (live_) {
            auto now = std::chrono::steady_clock::now();
            if (shown_ && now - last_ < std::chrono::milliseconds(200)) return;
            last_ = now;
            std::fprintf(stderr, "\rrendering: %3d%% (%.1f of %.1f s)", percent, doneSeconds, total_);
        } else {
            if (shown_ && percent / 25 == lastQuarter_) return;
            lastQuarter_ = percent / 25;
            std::fprintf(stderr, "rendering: %3d%% (%.1f of %.1f s)\n", percent, doneSeconds, total_);
        }
        shown_ = true;
        std::fflush(stderr);
    }
    void finish() {
        if (shown_ && live_) std::fprintf(stderr, "\n");
    }

private:
    bool enabled_;
    bool live_;
    double total_;
    bool shown_ = false;
    int lastQuarter_ = -1;
    std::chrono::steady_clock::time_point last_;
};

int render(kx::PluginHost& host, const kx::MidiSong& song, const std::string& outPath, const RenderOptions& o) {
    kx::MidiRenderer renderer(host, song, o.settings);
    std::string error;
    kx::AudioWriter writer;
    if (!writer.open(outPath, int(std::lround(o.settings.sampleRate)), renderer.channels(), error))
        return failure(error);
    if (!renderer.start(error)) {
        writer.discard();
        return failure(error);
    }
    double rate = o.settings.sampleRate;
    Progress progress(!o.quiet, double(renderer.totalFrames()) / rate);
    double peak = 0.0;
    int64_t nonFinite = 0;
    for (;;) {
        int frames = renderer.renderBlock();
        if (frames == 0) break;
        for (int c = 0; c < renderer.channels(); ++c) {
            for (int i = 0; i < frames; ++i) {
                double v = o.settings.doublePrecision ? renderer.doubleOutputs()[c][i] : renderer.floatOutputs()[c][i];
                if (!std::isfinite(v))
                    ++nonFinite;
                else
                    peak = std::max(peak, std::fabs(v));
            }
        }
        bool ok;
        if (o.settings.doublePrecision)
            ok = writer.write(renderer.doubleOutputs(), size_t(frames), error);
        else
            ok = writer.write(renderer.floatOutputs(), size_t(frames), error);
        if (!ok) {
            renderer.stop();
            writer.discard();
            return failure(error);
        }
        progress.update(double(renderer.position()) / rate);
    }
    renderer.stop();
    progress.finish();
    if (!writer.close(error)) {
        writer.discard();
        return failure(error);
    }
    double seconds = double(renderer.totalFrames()) / rate;
    char level[32] = "-inf";
    if (peak > 0.0) std::snprintf(level, sizeof level, "%.1f", 20.0 * std::log10(peak));
    std::printf("wrote %s: %.3f s, %d channel%s at %g Hz, peak %s dBFS\n", outPath.c_str(), seconds,
                renderer.channels(), renderer.channels() == 1 ? "" : "s", rate, level);
    if (nonFinite > 0)
        return failure("the plug-in produced " + std::to_string(nonFinite) + " samples that are not numbers; " +
                       outPath + " holds them as they came");
    return 0;
}

}  // namespace

int runRender(int argc, char** argv) {
    RenderOptions o;
    int rc = parseOptions(argc, argv, o);
    if (rc >= 0) return rc;

    bool saving = !o.saveFxp.empty() || !o.saveFxb.empty();
    std::string pluginPath = defaultPluginPath();
    std::string midiPath, outPath;
    size_t n = o.operands.size();
    if (n == 3 || (n == 1 && saving)) pluginPath = o.operands[0];
    if (n >= 2) {
        midiPath = o.operands[n - 2];
        outPath = o.operands[n - 1];
    } else if (!(saving && n <= 1)) {
        return usageError(n == 0 ? "missing IN.mid and OUT.wav" : "missing OUT.wav");
    }
    if (n > 3) return usageError("too many operands");
    if (!outPath.empty() && !kx::AudioWriter::supportedExtension(outPath))
        return usageError("unknown output format '" + outPath + "' (use .wav, .flac or .aiff)");

    std::error_code ec;
    if (!midiPath.empty() && std::filesystem::equivalent(midiPath, outPath, ec))
        return usageError("OUT would overwrite IN ('" + outPath + "')");

    // Read the song before loading anything, so a bad file fails fast.
    kx::MidiSong song;
    std::string error;
    if (!midiPath.empty() && !kx::readMidiFile(midiPath.c_str(), song, error)) return failure(error);
    // A few bytes of delta time can claim centuries; refuse before writing any of it.
    if (song.endSeconds > kMaxSongSeconds)
        return failure(midiPath + ": the song lasts " + std::to_string(int64_t(song.endSeconds / 3600)) +
                       " hours; at most " + std::to_string(int(kMaxSongSeconds / 3600)) + " are rendered");

    kx::PluginHost host;
    host.hostSampleRate = o.settings.sampleRate;
    host.hostBlockSize = o.settings.blockSize;
    if (!host.load(pluginPath, &error)) return failure(error);
    host.open();
    host.setSampleRate(float(o.settings.sampleRate));
    host.setBlockSize(o.settings.blockSize);

    rc = applySettings(host, o);
    if (rc >= 0) return rc;
    if (midiPath.empty()) return 0;
    return render(host, song, outPath, o);
}

}  // namespace kelvox2
