// kelvox2: a small VST 2.4 host for the instrument and its framework's tools.
#include "subcommands.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace kelvox2 {

namespace {

struct Subcommand {
    const char* name;
    const char* usage;
    const char* summary;
    int (*run)(int, char**);
};

const Subcommand kSubcommands[] = {
    {"info", "info [PLUGIN]", "identity, flags, I/O, parameters, programs and canDo answers of a plug-in", runInfo},
    {"render", "render [PLUGIN] IN.mid OUT.wav", "play a Standard MIDI File through a plug-in into a WAV or FLAC file", runRender},
    {"bench", "bench [PLUGIN...]", "real-time factor and nanoseconds per sample of plug-ins", runBench},
    {"png", "png FILE [--raw OUT]", "decode a PNG file with the instrument's own decoder", runPng},
    {"snapshot", "snapshot [--page N] [--events FILE] [--skin FILE] OUT.png", "paint the editor headless into a PNG file", runSnapshot},
    {"check-skin", "check-skin SKIN.txt", "report every line of a skin script that the parser ignores", runCheckSkin},
    {"validate", "validate [PLUGIN...]", "try plug-ins as the most demanding hosts would, test by test", runValidate},
};

void printUsage(FILE* out) {
    std::fprintf(out, "usage: kelvox2 COMMAND [OPTIONS]\n\ncommands:\n");
    for (const Subcommand& c : kSubcommands)
        std::fprintf(out, "  %-46s %s\n", c.usage, c.summary);
    std::fprintf(out, "\nRun 'kelvox2 COMMAND --help' for a command's options.\n");
}

}  // namespace

const char* defaultPluginPath() {
    static std::string path;  // computed once; the tool is single-threaded
    if (path.empty()) {
        char self[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0) {
            self[n] = '\0';
            std::string dir(self);
            dir.erase(dir.find_last_of('/') + 1);
            path = dir + KX_DEFAULT_PLUGIN_NAME;
        } else {
            path = KX_DEFAULT_PLUGIN_NAME;
        }
    }
    return path.c_str();
}

}  // namespace kelvox2

int main(int argc, char** argv) {
    using namespace kelvox2;
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        printUsage(stdout);
        return 0;
    }
    for (const Subcommand& c : kSubcommands)
        if (!std::strcmp(argv[1], c.name))
            return c.run(argc - 1, argv + 1);
    std::fprintf(stderr, "kelvox2: unknown command '%s'\n\n", argv[1]);
    printUsage(stderr);
    return 2;
}
