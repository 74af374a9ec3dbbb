// kelvox2 info: what a VST 2.4 plug-in tells a host about itself.
#include "subcommands.h"

#include "kelvox2/host/plugin_host.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace kelvox2 {

namespace {

const char* const kCanDoTexts[] = {
    "sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents", "receiveVstMidiEvent",
    "receiveVstTimeInfo", "offline", "plugAsChannelInsert", "plugAsSend", "mixDryWet", "noRealTime",
    "multipass", "metapass", "1in1out", "1in2out", "2in1out", "2in2out", "2in4out", "4in2out", "4in4out",
    "4in8out", "8in4out", "8in8out", "midiProgramNames", "conformsToWindowRules", "bypass",
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

const char* const kCategoryNames[] = {"unknown",  "effect",      "synth",       "analysis",
                                      "mastering", "spatializer", "room fx",     "surround fx",
                                      "restoration", "offline process", "shell", "generator"};

void printUsage(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 info [PLUGIN]\n"
                 "\n"
                 "Loads a VST 2.4 plug-in (.so) and prints what it tells a host: identity, flags,\n"
                 "audio inputs and outputs, every parameter with its name, label and display text,\n"
                 "the program names and the answers to the usual canDo questions.\n"
                 "PLUGIN defaults to the Kelvox2.so next to this tool.\n"
                 "\n"
                 "options:\n"
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

}  // namespace

int runInfo(int argc, char** argv) {
    const char* pluginPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            printUsage(stdout);
            return 0;
        }
        if (argv[i][0] == '-' && argv[i][1]) {
            std::fprintf(stderr, "kelvox2 info: unknown option '%s'\n\n", argv[i]);
            printUsage(stderr);
            return 2;
        }
        if (pluginPath) {
            std::fprintf(stderr, "kelvox2 info: more than one plug-in given ('%s')\n\n", argv[i]);
            printUsage(stderr);
            return 2;
        }
        pluginPath = argv[i];
    }
    if (!pluginPath)
        pluginPath = defaultPluginPath();

    kx::PluginHost host;
    std::string error;
    if (!host.load(pluginPath, &error)) {
        std::fprintf(stderr, "kelvox2 info: %s\n", error.c_str());
        return 1;
    }
    host.open();
    host.setSampleRate(static_cast<float>(host.hostSampleRate));
    host.setBlockSize(host.hostBlockSize);

    const AEffect* e = host.effect();
    std::printf("Plug-in:     %s\n", pluginPath);
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
                    answer > 0 ? "yes" : answer < 0 ? "no" : "don't know");
    }
    return 0;
}

}  // namespace kelvox2
