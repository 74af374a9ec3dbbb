// kelvox2: a small VST 2.4 host for the instrument and its framework's tools.
#include "kelvox2/commands/subcommands.h"

#include <unistd.h>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace kelvox2 {

namespace {

struct Subcommand {
    const char* name;
    const char* usage;
    const char* summary;
    int (*run)(int, char**);
};

const Subcommand kSubcommands[] = {
    {"info", "info [PLUGIN] [--params | --fxp FILE | --fxb FILE]",
     "what a plug-in tells a host, what its parameters take, what a preset sets", runInfo},
    {"render", "render [PLUGIN] IN.mid OUT", "play a Standard MIDI File through a plug-in into an audio file",
     runRender},
    {"bench", "bench [PLUGIN...]", "real-time factor and nanoseconds per sample of plug-ins", runBench},
    {"png", "png FILE [--raw OUT]", "decode a PNG file with the instrument's own decoder", runPng},
    {"snapshot", "snapshot [PLUGIN] [--page N] [--skin FILE] [--fxp FILE] [--set ...] OUT.png",
     "paint the editor headless into a PNG file", runSnapshot},
    {"check-skin", "check-skin SKIN.txt", "report every line of a skin script that is ignored or looks wrong",
     runCheckSkin},
    {"skin", "skin export [--force] DIR", "write the built-in skin and its images as files to start from", runSkin},
    {"edit", "edit [PLUGIN] [--skin FILE] [--fxp FILE] [--set ...] [--events FILE] [--screenshot OUT]",
     "open a plug-in's editor in a window, as a host does", runEdit},
    {"validate", "validate [PLUGIN...]", "try plug-ins as the most demanding hosts would, test by test", runValidate},
};

void printUsage(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 COMMAND [OPTIONS]\n       kelvox2 help COMMAND\n       kelvox2 --version\n\n"
                 "commands:\n");
    for (const Subcommand& c : kSubcommands)
        std::fprintf(out, "  %s\n      %s\n", c.usage, c.summary);
    std::fprintf(out,
                 "\nRun 'kelvox2 help COMMAND' (or 'kelvox2 COMMAND --help') for a command's options.\n"
                 "A PLUGIN is a path or a name looked for in VST_PATH, ~/.vst, /usr/local/lib/vst\n"
                 "and /usr/lib/vst (or a unique start of a name there); it defaults to the\n"
                 "Kelvox2.so next to this program, or in ../lib/vst from its folder.\n");
}

const Subcommand* findSubcommand(const char* name) {
    for (const Subcommand& c : kSubcommands)
        if (!std::strcmp(name, c.name))
            return &c;
    return nullptr;
}

int unknownCommand(const char* name) {
    std::fprintf(stderr, "kelvox2: unknown command '%s'\n\n", name);
    printUsage(stderr);
    return 2;
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
            // Beside the tool in a build tree; bin/../lib/vst once installed
            // under a prefix (cmake --install, the package).
            for (const char* place : {"", "../lib/vst/"}) {
                std::string candidate = dir + place + KX_DEFAULT_PLUGIN_NAME;
                if (access(candidate.c_str(), F_OK) == 0) {
                    // The folder is the tool's real one, so ".." is plainly its parent.
                    path = std::filesystem::path(candidate).lexically_normal().string();
                    break;
                }
            }
        }
        // Otherwise the bare name is looked for where plug-ins are installed.
        if (path.empty())
            path = KX_DEFAULT_PLUGIN_NAME;
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
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("kelvox2 %s\n", KX_VERSION);
        return 0;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
        (!std::strcmp(argv[1], "help") && argc == 2)) {
        printUsage(stdout);
        return 0;
    }
    if (!std::strcmp(argv[1], "help")) {
        if (argc > 3) {
            std::fprintf(stderr, "kelvox2 help: one command at a time\n");
            return 2;
        }
        const Subcommand* c = findSubcommand(argv[2]);
        if (!c)
            return unknownCommand(argv[2]);
        char name[32];
        char help[] = "--help";
        std::snprintf(name, sizeof name, "%s", c->name);
        char* args[] = {name, help, nullptr};
        return c->run(2, args);
    }
    if (const Subcommand* c = findSubcommand(argv[1]))
        return c->run(argc - 1, argv + 1);
    return unknownCommand(argv[1]);
}
