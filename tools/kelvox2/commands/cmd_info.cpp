// kelvox2 info: what a VST 2.4 plug-in tells a host about itself.
#include "kelvox2/commands/subcommands.h"

#include "kelvox2/commands/command_messages.h"

#include "kelvox2/host/fx_preset.h"
#include "kelvox2/host/option_reader.h"
#include "kelvox2/host/parameter_shape.h"
#include "kelvox2/host/plugin_host.h"
#include "kelvox2/host/plugin_presets.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace kelvox2 {

namespace {

const CommandMessages kReport("info");

const char* const kCanDoTexts[] = {
    "sendVstEvents",
    "sendVstMidiEvent",
    "sendVstTimeInfo",
    "receiveVstEvents",
    "receiveVstMidiEvent",
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
    "midiProgramNames",
    "conformsToWindowRules",
    "bypass",
};

struct FlagName {
    VstInt32 bit;
    const char* name;
};

const FlagName kFlagNames[] = {
    {effFlagsHasEditor, "HasEditor"},
    {effFlagsHasClip, "HasClip"},
    {effFlagsHasVu, "HasVu"},
    {effFlagsCanMono, "CanMono"},
    {effFlagsCanReplacing, "CanReplacing"},
    {effFlagsProgramChunks, "ProgramChunks"},
    {effFlagsIsSynth, "IsSynth"},
    {effFlagsNoSoundInStop, "NoSoundInStop"},
    {effFlagsExtIsAsync, "ExtIsAsync"},
    {effFlagsExtHasBuffer, "ExtHasBuffer"},
    {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
};

const char* const kCategoryNames[] = {"unknown",     "effect",          "synth",   "analysis",
                                      "mastering",   "spatializer",     "room fx", "surround fx",
                                      "restoration", "offline process", "shell",   "generator"};

void printUsage(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 info [PLUGIN] [--params | --fxp FILE | --fxb FILE]\n"
                 "\n"
                 "Loads a VST 2.4 plug-in (.so) and prints what it tells a host: identity, flags,\n"
                 "audio inputs and outputs, every parameter with its name, label and display text,\n"
                 "the program names and the answers to the usual canDo questions.\n"
                 "PLUGIN is a path or a name looked for in VST_PATH, ~/.vst, /usr/local/lib/vst\n"
                 "and /usr/lib/vst; it defaults to the Kelvox2.so next to this tool.\n"
                 "\n"
                 "options:\n"
                 "  --params     only the parameters: index, name, unit, default and what each\n"
                 "               takes (its range or its choices), as 'render --set' reads them\n"
                 "  --fxp FILE   what a program file (.fxp) sets: each parameter's value\n"
                 "  --fxb FILE   what a bank file (.fxb) sets: each program's values\n"
                 "  -h, --help   show this help\n");
}

std::string fourCharacters(VstInt32 id) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        unsigned char c = static_cast<unsigned char>((static_cast<uint32_t>(id) >> shift) & 0xFF);
        s += std::isprint(c) ? static_cast<char>(c) : '?';
    }
    return s;
}

void printPins(const kx::PluginHost& host, bool inputs, int count) {
    for (int i = 0; i < count; ++i) {
        VstPinProperties pin{};
        bool given = inputs ? host.inputProperties(i, &pin) : host.outputProperties(i, &pin);
        if (!given)
            continue;
        pin.label[sizeof pin.label - 1] = '\0';
        std::printf("  %s %d: \"%s\"%s%s\n", inputs ? "input" : "output", i, pin.label,
                    pin.flags & kVstPinIsActive ? " active" : "", pin.flags & kVstPinIsStereo ? " stereo" : "");
    }
}

std::string withUnit(const std::string& value, const std::string& unit) {
    return unit.empty() || value.empty() ? value : value + " " + unit;
}

// Every parameter with what it takes, as render --set reads it.
int printParameterShapes(const kx::PluginHost& host) {
    struct Row {
        std::string index, name, unit, initial, takes;
    };
    std::vector<Row> rows{{"index", "name", "unit", "default", "takes"}};
    for (int i = 0; i < host.numParams(); ++i) {
        const std::string initial = host.paramDisplay(i);
        kx::ParameterShape shape = kx::probeParameter(host, i);
        rows.push_back({std::to_string(i), shape.name, shape.label, initial, kx::describeRange(shape)});
    }
    size_t w[4] = {};
    for (const Row& row : rows) {
        w[0] = std::max(w[0], row.index.size());
        w[1] = std::max(w[1], row.name.size());
        w[2] = std::max(w[2], row.unit.size());
        w[3] = std::max(w[3], row.initial.size());
    }
    std::printf("Parameters of %s (%d):\n", host.effectName().c_str(), host.numParams());
    for (const Row& row : rows)
        std::printf("  %*s  %-*s  %-*s  %-*s  %s\n", int(w[0]), row.index.c_str(), int(w[1]), row.name.c_str(),
                    int(w[2]), row.unit.c_str(), int(w[3]), row.initial.c_str(), row.takes.c_str());
    return 0;
}

// The current program's values, a few to a line.
void printValues(const kx::PluginHost& host) {
    std::vector<std::string> cells;
    size_t width = 0;
    for (int i = 0; i < host.numParams(); ++i) {
        cells.push_back(host.paramName(i) + " " + withUnit(host.paramDisplay(i), host.paramLabel(i)));
        width = std::max(width, cells.back().size());
    }
    const size_t perLine = std::max<size_t>(1, 96 / (width + 3));
    for (size_t i = 0; i < cells.size(); ++i) {
        const bool lastOnLine = (i + 1) % perLine == 0 || i + 1 == cells.size();
        std::printf("%s%-*s%s", i % perLine ? "   " : "    ", lastOnLine ? 0 : int(width), cells[i].c_str(),
                    lastOnLine ? "\n" : "");
    }
}

std::string describeContent(bool isChunk, size_t chunkBytes, size_t count, const char* what) {
    if (isChunk)
        return "the plug-in's own chunk of " + std::to_string(chunkBytes) + " bytes";
    return std::to_string(count) + " " + what;
}

// What a program or bank file sets, read into the plug-in as render loads it.
int printPreset(kx::PluginHost& host, const std::string& fxp, const std::string& fxb) {
    std::string error;
    const std::string& path = fxp.empty() ? fxb : fxp;
    kx::FxProgram program;
    kx::FxBank bank;
    bool ok = fxp.empty() ? kx::readFxbFile(path.c_str(), bank, error) : kx::readFxpFile(path.c_str(), program, error);
    if (!ok)
        return kReport.failure(error);
    std::printf("File:        %s\n", path.c_str());
    if (!fxp.empty()) {
        std::printf(
            "Holds:       a program, %s\n",
            describeContent(program.isChunk, program.chunk.size(), program.params.size(), "parameter values").c_str());
        std::printf("For plug-in: %s, version %d\n", kx::describeId(program.fxID).c_str(), int(program.fxVersion));
        ok = kx::applyProgram(host, program, error);
    } else {
        std::printf("Holds:       a bank, %s\n",
                    describeContent(bank.isChunk, bank.chunk.size(), bank.programs.size(), "programs").c_str());
        std::printf("For plug-in: %s, version %d\n", kx::describeId(bank.fxID).c_str(), int(bank.fxVersion));
        ok = kx::applyBank(host, bank, error);
    }
    if (!ok)
        return kReport.failure(path + ": " + error);
    if (!fxp.empty()) {
        std::printf("Program:     \"%s\"\n\n", host.programName().c_str());
        printValues(host);
        return 0;
    }
    const VstIntPtr current = host.getProgram();
    const int count = bank.isChunk ? host.numPrograms() : int(bank.programs.size());
    std::printf("Current:     program %ld\n", static_cast<long>(current));
    for (int p = 0; p < count; ++p) {
        host.setProgram(p);
        std::printf("\nProgram %d \"%s\":\n", p, host.programName().c_str());
        printValues(host);
    }
    host.setProgram(current);
    return 0;
}

}  // namespace

int runInfo(int argc, char** argv) {
    std::string pluginName, fxp, fxb;
    bool onlyParams = false;
    kx::OptionReader r(argc, argv);
    std::string value;
    auto usageError = [](const std::string& message) { return kReport.usageError(message, printUsage); };
    while (r.next()) {
        if (r.isOperand()) {
            if (!pluginName.empty())
                return usageError("more than one plug-in given ('" + r.operand() + "')");
            pluginName = r.operand();
        } else if (r.is("-h") || r.is("--help")) {
            printUsage(stdout);
            return 0;
        } else if (r.is("--params")) {
            onlyParams = true;
        } else if (r.is("--fxp") || r.is("--fxb")) {
            std::string name = r.name();
            if (!r.value(value) || value.empty())
                return usageError(name + " needs a file name");
            (name == "--fxp" ? fxp : fxb) = value;
        } else {
            return usageError("unknown option '" + r.name() + "'");
        }
        if (r.hasUnusedValue())
            return usageError("option '" + r.name() + "' takes no value");
    }
    if (int(onlyParams) + int(!fxp.empty()) + int(!fxb.empty()) > 1)
        return usageError("--params, --fxp and --fxb go one at a time");
    if (pluginName.empty())
        pluginName = defaultPluginPath();

    kx::PluginHost host;
    std::string error;
    if (!host.load(pluginName, &error))
        return kReport.failure(error);
    host.open();
    host.setSampleRate(static_cast<float>(host.hostSampleRate));
    host.setBlockSize(host.hostBlockSize);
    if (onlyParams)
        return printParameterShapes(host);
    if (!fxp.empty() || !fxb.empty())
        return printPreset(host, fxp, fxb);
    const AEffect* e = host.effect();
    std::printf("Plug-in:     %s\n", host.path().c_str());
    std::printf("Name:        %s\n", host.effectName().c_str());
    std::printf("Vendor:      %s\n", host.vendorString().c_str());
    std::printf("Product:     %s\n", host.productString().c_str());
    std::printf("Unique ID:   '%s' (0x%08X)\n", fourCharacters(e->uniqueID).c_str(),
                static_cast<unsigned>(e->uniqueID));
    std::printf("Version:     %d (vendor version %ld, VST version %ld)\n", static_cast<int>(e->version),
                static_cast<long>(host.vendorVersion()), static_cast<long>(host.vstVersion()));
    VstIntPtr category = host.plugCategory();
    std::printf("Category:    %ld (%s)\n", static_cast<long>(category),
                category >= 0 && category < 12 ? kCategoryNames[category] : "?");
    std::printf("Flags:       0x%X", static_cast<unsigned>(e->flags));
    const char* separator = " (";
    for (const FlagName& f : kFlagNames)
        if (e->flags & f.bit) {
            std::printf("%s%s", separator, f.name);
            separator = ", ";
        }
    std::printf("%s\n", separator[0] == ',' ? ")" : "");
    std::printf("I/O:         %d input%s, %d output%s; initial delay %d\n", static_cast<int>(e->numInputs),
                e->numInputs == 1 ? "" : "s", static_cast<int>(e->numOutputs), e->numOutputs == 1 ? "" : "s",
                static_cast<int>(e->initialDelay));
    printPins(host, true, e->numInputs);
    printPins(host, false, e->numOutputs);

    std::printf("\nParameters (%d):\n", host.numParams());
    struct ParamText {
        std::string name, label, display;
    };
    std::vector<ParamText> params;
    int nameWidth = 4, labelWidth = 5;  // at least the headings
    for (int i = 0; i < host.numParams(); ++i) {
        params.push_back({host.paramName(i), host.paramLabel(i), host.paramDisplay(i)});
        nameWidth = std::max(nameWidth, static_cast<int>(params.back().name.size()));
        labelWidth = std::max(labelWidth, static_cast<int>(params.back().label.size()));
    }
    std::printf("  %5s  %-*s  %-*s  %s\n", "index", nameWidth, "name", labelWidth, "label", "display");
    for (size_t i = 0; i < params.size(); ++i)
        std::printf("  %5zu  %-*s  %-*s  %s\n", i, nameWidth, params[i].name.c_str(), labelWidth,
                    params[i].label.c_str(), params[i].display.c_str());

    VstIntPtr current = host.getProgram();
    std::printf("\nPrograms (%d, current %ld):\n", host.numPrograms(), static_cast<long>(current));
    for (int i = 0; i < host.numPrograms(); ++i) {
        std::string name;
        if (!host.programNameIndexed(i, &name) && i == current)
            name = host.programName();
        std::printf("  %5d  %s\n", i, name.c_str());
    }

    std::printf("\ncanDo:\n");
    for (const char* text : kCanDoTexts) {
        VstIntPtr answer = host.canDo(text);
        std::printf("  %-22s %2ld (%s)\n", text, static_cast<long>(answer),
                    answer > 0   ? "yes"
                    : answer < 0 ? "no"
                                 : "don't know");
    }
    return 0;
}

}  // namespace kelvox2
