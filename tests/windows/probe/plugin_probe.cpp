// kx_plugin_probe: loads a VST 2.4 plug-in as a host does, writes what it
// answers and what it renders into a report, and compares two reports. The
// same source is built for Linux and for Windows, so the two builds of the
// instrument can be held against each other:
//
//   kx_plugin_probe PLUGIN REPORT        probe a plug-in
//   kx_plugin_probe --compare A B        same answers, samples within 1e-9
//   kx_plugin_probe --compare --exact A B    same answers, samples bit for bit
//
// A report is text lines (the answers), a line "samples N", then N doubles
// as raw little-endian bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/vst_abi.h"
#include "probe/plugin_loader.h"

namespace kx::probe {
namespace {

constexpr const char* kReportHeader = "kx-plugin-probe 1";
constexpr double kTolerance = 1e-9;
constexpr double kSampleRate = 44100.0;
constexpr double kTempo = 133.0;
constexpr int kPhraseLength = 20000;

// ---- The host ---------------------------------------------------------------

struct HostState {
    VstTimeInfo time{};
};
HostState gHost;  // the callback is a plain function

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion: return kVstVersion;
    case audioMasterGetSampleRate: return VstIntPtr(kSampleRate);
    case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(&gHost.time);
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), "Probe");
        return 1;
    default: return 0;
    }
}

// ---- Answers ------------------------------------------------------------------

// Printable single-byte text; anything else as \xNN.
std::string quoted(const char* text, size_t size) {
    std::string out = "\"";
    for (size_t i = 0; i < size && text[i]; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += char(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out + "\"";
}

std::string hexFloat(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%a", v);
    return text;
}

// Patches that together reach every part of the sound: each parameter index
// with its value.
using Patch = std::vector<std::pair<VstInt32, float>>;
// Per oscillator wave, detune, glide, noise (and partial for the second and
// third); the LFO's wave, speed and depth.
enum : VstInt32 {
    kWave1 = 0,
    kDetune1 = 1,
    kPorta1 = 4,
    kNoise1 = 5,
    kWave2 = 7,
    kPartial2 = 8,
    kDetune2 = 9,
    kPorta2 = 12,
    kNoise2 = 13,
    kWave3 = 15,
    kPartial3 = 16,
    kDetune3 = 17,
    kPorta3 = 20,
    kNoise3 = 21,
    kLfoWave = 23,
    kLfoFreq = 24,
    kLfoDepth = 26
};
// Waves are 0..3 in thirds, LFO shapes 0..5 in fifths.
float wave(int w) { return float(w) / 3.0f; }
float shape(int s) { return float(s) / 5.0f; }

std::vector<Patch> soundPatches() {
    std::vector<Patch> patches;
    // Three oscillators of one wave detuned apart and gliding.
    for (int w = 0; w < 4; ++w)
        patches.push_back({{kWave1, wave(w)},
                           {kWave2, wave(w)},
                           {kWave3, wave(w)},
                           {kDetune1, 0.3f},
                           {kDetune2, 0.55f},
                           {kDetune3, 0.8f},
                           {kPorta1, 0.2f},
                           {kPorta2, 0.25f},
                           {kPorta3, 0.3f}});
    // Partials and noise beside a sine.
    patches.push_back({{kWave1, wave(0)},
                       {kWave2, wave(3)},
                       {kPartial2, 0.4f},
                       {kWave3, wave(2)},
                       {kPartial3, 1.0f},
                       {kDetune3, 0.45f},
                       {kNoise1, 0.3f},
                       {kNoise2, 0.1f},
                       {kNoise3, 0.05f}});
    // Every LFO shape on three different waves that glide.
    for (int s = 0; s < 6; ++s)
        patches.push_back({{kWave1, wave(1)},
                           {kWave2, wave(2)},
                           {kWave3, wave(3)},
                           {kDetune2, 0.6f},
                           {kPorta1, 0.1f},
                           {kPorta2, 0.1f},
                           {kPorta3, 0.1f},
                           {kLfoWave, shape(s)},
                           {kLfoFreq, 0.4f},
                           {kLfoDepth, 0.7f}});
    return patches;
}

class Prober {
public:
    explicit Prober(AEffect* effect) : effect_(effect) {}

    std::vector<std::string> answers;
    std::vector<double> samples;

    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
    }

    void note(const std::string& line) { answers.push_back(line); }

    // A text request: its answer and the text, from a buffer far larger than
    // the limit so that an overrun shows as a longer text.
    void text(const std::string& what, VstInt32 opcode, VstInt32 index = 0) {
        char buffer[512];
        std::memset(buffer, 0, sizeof buffer);
        const VstIntPtr result = call(opcode, index, 0, buffer);
        note(what + " = " + std::to_string(result) + " " + quoted(buffer, sizeof buffer));
    }

    void record() {
        const AEffect& e = *effect_;
        note("magic " + std::to_string(e.magic));
        note("numPrograms " + std::to_string(e.numPrograms) + " numParams " + std::to_string(e.numParams));
        note("numInputs " + std::to_string(e.numInputs) + " numOutputs " + std::to_string(e.numOutputs));
        note("flags " + std::to_string(e.flags) + " initialDelay " + std::to_string(e.initialDelay));
        note("ioRatio " + hexFloat(e.ioRatio) + " uniqueID " + std::to_string(e.uniqueID) + " version " +
             std::to_string(e.version));
        note(std::string("processing ") + (e.processReplacing ? "float" : "-") + " " +
             (e.processDoubleReplacing ? "double" : "-"));

        text("effGetEffectName", effGetEffectName);
        text("effGetVendorString", effGetVendorString);
        text("effGetProductString", effGetProductString);
        for (VstInt32 opcode : {effGetVendorVersion, effGetVstVersion, effGetPlugCategory, effGetTailSize, effIdentify,
                                effGetProgram, effGetNumMidiInputChannels, effGetNumMidiOutputChannels})
            note("opcode " + std::to_string(opcode) + " = " + std::to_string(call(opcode)));

        for (const char* canDo : {"sendVstEvents",
                                  "sendVstMidiEvent",
                                  "sendVstTimeInfo",
                                  "receiveVstEvents",
                                  "receiveVstMidiEvent",
                                  "ReceiveVstMidiEvent",
                                  "receiveVstTimeInfo",
                                  "offline",
                                  "plugAsChannelInsert",
                                  "plugAsSend",
                                  "mixDryWet",
                                  "noRealTime",
                                  "multipass",
                                  "metapass",
                                  "1in1out",
                                  "1in2out",
                                  "2in1out",
                                  "2in2out",
                                  "2in4out",
                                  "4in2out",
                                  "4in4out",
                                  "4in8out",
                                  "8in4out",
                                  "8in8out",
                                  "0in1out",
                                  "midiProgramNames",
                                  "conformsToWindowRules",
                                  "bypass",
                                  "anything"})
            note(std::string("canDo ") + canDo + " = " +
                 std::to_string(call(effCanDo, 0, 0, const_cast<char*>(canDo))));

        ERect* rect = nullptr;
        const VstIntPtr hasRect = call(effEditGetRect, 0, 0, &rect);
        note("effEditGetRect = " + std::to_string(hasRect) +
             (rect ? " " + std::to_string(rect->top) + " " + std::to_string(rect->left) + " " +
                         std::to_string(rect->bottom) + " " + std::to_string(rect->right)
                   : std::string(" none")));

        for (VstInt32 index : {0, 1}) {
            VstPinProperties pin{};
            const VstIntPtr out = call(effGetOutputProperties, index, 0, &pin);
            note("output " + std::to_string(index) + " = " + std::to_string(out) + " " +
                 quoted(pin.label, sizeof pin.label) + " " + std::to_string(pin.flags));
            const VstIntPtr in = call(effGetInputProperties, index, 0, &pin);
            note("input " + std::to_string(index) + " = " + std::to_string(in));
        }
        VstSpeakerArrangement* inputs = nullptr;
        VstSpeakerArrangement* outputs = nullptr;
        const VstIntPtr arranged = call(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inputs), &outputs);
        note("arrangement = " + std::to_string(arranged) + " " + (inputs ? std::to_string(inputs->numChannels) : "-") +
             " " + (outputs ? std::to_string(outputs->numChannels) : "-"));

        recordParameters("initial");
        for (VstInt32 p = 0; p < effect_->numPrograms; ++p)
            text("program name " + std::to_string(p), effGetProgramNameIndexed, p);

        // Every program gets values of its own, set as a host automates them;
        // their texts show how each platform formats numbers.
        for (VstInt32 p = 0; p < effect_->numPrograms; ++p) {
            call(effSetProgram, 0, p);
            for (VstInt32 i = 0; i < effect_->numParams; ++i)
                effect_->setParameter(effect_, i, programValue(p, i));
            recordParameters("program " + std::to_string(p));
        }
        // Typed values, read by the plug-in's own number reading.
        call(effSetProgram, 0, 9);
        const char* typed[] = {"12.5", "-3", "1e2", "0x10", " 7.25 ", "abc", "-Inf", "0.0001"};
        for (VstInt32 i = 0; i < effect_->numParams; ++i) {
            char text[32];
            std::strcpy(text, typed[i % (sizeof typed / sizeof typed[0])]);
            const VstIntPtr accepted = call(effString2Parameter, i, 0, text);
            note("typed " + std::to_string(i) + " " + text + " = " + std::to_string(accepted) + " " +
                 hexFloat(effect_->getParameter(effect_, i)));
        }
        recordChunk("bank chunk", 0);
        recordChunk("program chunk", 1);
    }

    // Each program plays the phrase in double precision; two also in single.
    // Then patches that together reach every part of the sound play it.
    void render() {
        call(effSetSampleRate, 0, 0, nullptr, float(kSampleRate));
        call(effSetBlockSize, 0, 1024);
        for (VstInt32 p = 0; p < effect_->numPrograms; ++p) {
            call(effMainsChanged, 0, 0);
            call(effSetProgram, 0, p);
            call(effMainsChanged, 0, 1);
            playPhrase(true);
            if (p == 0 || p == 5) {
                call(effMainsChanged, 0, 0);
                call(effMainsChanged, 0, 1);
                playPhrase(false);
            }
        }
        for (const Patch& patch : soundPatches()) {
            call(effMainsChanged, 0, 0);
            call(effSetProgram, 0, 0);
            for (const auto& [index, value] : patch)
                effect_->setParameter(effect_, index, value);
            call(effMainsChanged, 0, 1);
            playPhrase(true);
        }
    }

private:
    static float programValue(VstInt32 program, VstInt32 index) {
        return float((program * 7 + index * 13) % 17) / 16.0f;
    }

    void recordParameters(const std::string& where) {
        for (VstInt32 i = 0; i < effect_->numParams; ++i) {
            text(where + " param " + std::to_string(i) + " name", effGetParamName, i);
            text(where + " param " + std::to_string(i) + " label", effGetParamLabel, i);
            text(where + " param " + std::to_string(i) + " display", effGetParamDisplay, i);
            note(where + " param " + std::to_string(i) + " value " + hexFloat(effect_->getParameter(effect_, i)));
        }
    }

    void recordChunk(const std::string& what, VstInt32 isPreset) {
        void* data = nullptr;
        const VstIntPtr size = call(effGetChunk, isPreset, 0, &data);
        std::string bytes;
        if (data && size > 0) {
            const auto* p = static_cast<const unsigned char*>(data);
            char hex[3];
            for (VstIntPtr i = 0; i < size; ++i) {
                std::snprintf(hex, sizeof hex, "%02x", p[i]);
                bytes += hex;
            }
        }
        note(what + " = " + std::to_string(size) + " " + bytes);
    }

    struct Event {
        int at;
        unsigned char status, data1, data2;
    };

    // Legato notes, a pitch bend there and back, a second channel, the release.
    static constexpr Event kPhrase[] = {
        {0, 0x90, 60, 100},     {2500, 0x90, 64, 80},  {6000, 0x80, 60, 0},    {7000, 0xE0, 0x00, 0x50},
        {9000, 0x80, 64, 0},    {9500, 0xE0, 0, 0x40}, {11000, 0x90, 67, 127}, {12500, 0x90, 72, 32},
        {13000, 0x91, 48, 100}, {15000, 0x80, 67, 0},  {15000, 0x80, 72, 0},   {15000, 0x81, 48, 0},
    };

    // Blocks of uneven sizes, so events fall at all kinds of offsets.
    void playPhrase(bool doublePrecision) {
        static constexpr int kBlockSizes[] = {512, 100, 1024, 7, 333};
        std::vector<double> outDouble(1024);
        std::vector<float> outFloat(1024);
        int position = 0;
        for (int block = 0; position < kPhraseLength; ++block) {
            const int frames = std::min(kBlockSizes[block % 5], kPhraseLength - position);

            VstMidiEvent midi[16]{};
            struct {
                VstInt32 numEvents;
                VstIntPtr reserved;
                VstEvent* events[16];
            } list{};
            for (const Event& e : kPhrase) {
                if (e.at < position || e.at >= position + frames || list.numEvents == 16)
                    continue;
                VstMidiEvent& m = midi[list.numEvents];
                m.type = kVstMidiType;
                m.byteSize = sizeof m;
                m.deltaFrames = e.at - position;
                m.midiData[0] = char(e.status);
                m.midiData[1] = char(e.data1);
                m.midiData[2] = char(e.data2);
                list.events[list.numEvents++] = reinterpret_cast<VstEvent*>(&m);
            }
            call(effProcessEvents, 0, 0, &list);

            gHost.time = VstTimeInfo{};
            gHost.time.samplePos = position;
            gHost.time.sampleRate = kSampleRate;
            gHost.time.tempo = kTempo;
            gHost.time.ppqPos = position / kSampleRate * kTempo / 60.0;
            gHost.time.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid;

            if (doublePrecision) {
                double* outputs[] = {outDouble.data()};
                effect_->processDoubleReplacing(effect_, nullptr, outputs, frames);
                samples.insert(samples.end(), outDouble.begin(), outDouble.begin() + frames);
            } else {
                float* outputs[] = {outFloat.data()};
                effect_->processReplacing(effect_, nullptr, outputs, frames);
                samples.insert(samples.end(), outFloat.begin(), outFloat.begin() + frames);
            }
            position += frames;
        }
    }

    AEffect* effect_;
};

// ---- Reports ------------------------------------------------------------------

struct Report {
    std::vector<std::string> answers;
    std::vector<double> samples;
};

bool writeReport(const std::string& path, const Report& report) {
    std::ofstream out(path, std::ios::binary);
    out << kReportHeader << '\n';
    for (const std::string& line : report.answers)
        out << line << '\n';
    out << "samples " << report.samples.size() << '\n';
    out.write(reinterpret_cast<const char*>(report.samples.data()),
              std::streamsize(report.samples.size() * sizeof(double)));
    return bool(out);
}

bool readReport(const std::string& path, Report& report, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || line != kReportHeader) {
        error = path + " is not a probe report";
        return false;
    }
    while (std::getline(in, line)) {
        if (line.rfind("samples ", 0) == 0) {
            const size_t count = std::stoul(line.substr(8));
            report.samples.resize(count);
            in.read(reinterpret_cast<char*>(report.samples.data()), std::streamsize(count * sizeof(double)));
            if (size_t(in.gcount()) != count * sizeof(double)) {
                error = path + " ends before its samples do";
                return false;
            }
            return true;
        }
        report.answers.push_back(line);
    }
    error = path + " has no samples";
    return false;
}

int compareReports(const std::string& pathA, const std::string& pathB, bool exact) {
    Report a, b;
    std::string error;
    if (!readReport(pathA, a, error) || !readReport(pathB, b, error)) {
        std::cerr << "kx_plugin_probe: " << error << '\n';
        return 2;
    }
    int differences = 0;
    const size_t lines = std::max(a.answers.size(), b.answers.size());
    for (size_t i = 0; i < lines; ++i) {
        const std::string& x = i < a.answers.size() ? a.answers[i] : "(none)";
        const std::string& y = i < b.answers.size() ? b.answers[i] : "(none)";
        if (x != y && ++differences <= 20)
            std::cout << "answer differs:\n  " << x << "\n  " << y << '\n';
    }
    std::cout << "answers: " << lines - size_t(differences) << " of " << lines << " equal\n";

    if (a.samples.size() != b.samples.size()) {
        std::cout << "samples: " << a.samples.size() << " against " << b.samples.size() << '\n';
        return 1;
    }
    double largest = 0.0, largestRelative = 0.0;
    size_t differing = 0, worst = 0;
    bool finite = true;
    for (size_t i = 0; i < a.samples.size(); ++i) {
        if (std::memcmp(&a.samples[i], &b.samples[i], sizeof(double)) == 0)
            continue;
        ++differing;
        const double d = std::fabs(a.samples[i] - b.samples[i]);
        const double magnitude = std::max(std::fabs(a.samples[i]), std::fabs(b.samples[i]));
        largestRelative = std::max(largestRelative, d / magnitude);
        if (!(d <= largest)) {  // NaN counts as the worst
            largest = d;
            worst = i;
            finite = finite && std::isfinite(d);
        }
    }
    double peak = 0.0;
    for (double v : a.samples)
        peak = std::max(peak, std::fabs(v));
    std::cout << "samples: " << a.samples.size() << " (peak " << peak << "), ";
    if (differing == 0)
        std::cout << "equal bit for bit\n";
    else
        std::cout << differing << " differ, largest difference " << largest << " at sample " << worst
                  << ", largest relative difference " << largestRelative << '\n';
    const bool samplesAgree = exact ? differing == 0 : finite && largest <= kTolerance;
    return differences == 0 && samplesAgree ? 0 : 1;
}

int probe(const std::string& pluginPath, const std::string& reportPath) {
    std::string error;
    const VstPluginMainProc entry = loadPluginEntry(pluginPath, error);
    if (!entry) {
        std::cerr << "kx_plugin_probe: " << error << '\n';
        return 2;
    }
    AEffect* effect = entry(hostCallback);
    if (!effect) {
        std::cerr << "kx_plugin_probe: " << pluginPath << " gave no effect\n";
        return 2;
    }
    Prober prober(effect);
    prober.record();
    prober.render();
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
    if (!writeReport(reportPath, Report{prober.answers, prober.samples})) {
        std::cerr << "kx_plugin_probe: cannot write " << reportPath << '\n';
        return 2;
    }
    std::cout << pluginPath << ": " << prober.answers.size() << " answers, " << prober.samples.size() << " samples\n";
    return 0;
}

}  // namespace
}  // namespace kx::probe

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--compare")
        return kx::probe::compareReports(argv[2], argv[3], false);
    if (argc == 5 && std::string(argv[1]) == "--compare" && std::string(argv[2]) == "--exact")
        return kx::probe::compareReports(argv[3], argv[4], true);
    if (argc == 3 && argv[1][0] != '-')
        return kx::probe::probe(argv[1], argv[2]);
    std::cerr << "usage: kx_plugin_probe PLUGIN REPORT\n"
                 "       kx_plugin_probe --compare [--exact] REPORT REPORT\n";
    return 2;
}
