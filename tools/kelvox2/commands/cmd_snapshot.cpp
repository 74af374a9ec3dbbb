// kelvox2 snapshot: paints the instrument's editor headless into a PNG file,
// optionally after replaying pointer events through the skin.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "data/byte_source.h"
#include "data/file_access.h"
#include "kelvox2/commands/command_messages.h"
#include "kelvox2/commands/subcommands.h"
#include "kelvox2/headless_skin.h"
#include "kelvox2/host/option_reader.h"
#include "kelvox2/host/output_file.h"
#include "kelvox2/host/plugin_host.h"
#include "kelvox2/host/plugin_lookup.h"
#include "kelvox2/host/png_writer.h"
#include "kelvox2/host/state_options.h"
#include "skin/skin_factory.h"
#include "skin/skin_parser.h"

namespace kelvox2 {

namespace {

const CommandMessages kReport("snapshot");

void printHelp(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 snapshot [PLUGIN] [--page N] [--events FILE] [--skin SKIN.txt]\n"
                 "                        [--program N] [--fxb FILE] [--fxp FILE] [--set NAME=VALUE]...\n"
                 "                        OUT.png\n"
                 "\n"
                 "Builds the instrument's editor without a window, paints it and writes the\n"
                 "picture as PNG. The skin is the one the plug-in shows: Kelvox2Skin.txt beside\n"
                 "PLUGIN (and the images it names there), else the built-in one. PLUGIN is a path\n"
                 "or a name looked for as render does; it defaults to the Kelvox2.so next to this\n"
                 "tool. The picture is painted by this tool's own copy of the instrument.\n"
                 "\n"
                 "  --page N           show page N, 1 to the skin's page count (after the start\n"
                 "                     page has been shown)\n"
                 "  --events FILE      replay pointer events, one per line, in canvas pixels:\n"
                 "                       down X Y [shift] [ctrl]    left button pressed\n"
                 "                       up X Y [shift] [ctrl]      left button released\n"
                 "                       rdown X Y ..., rup X Y ... the right button\n"
                 "                       move X Y [shift]           pointer moved\n"
                 "                       page N                     switch to page N\n"
                 "                       lost                       mouse capture lost\n"
                 "                     blank lines and lines starting with # are skipped\n"
                 "  --skin FILE        use this skin script instead of the one beside PLUGIN\n"
                 "  --program N        select program N (after --fxb, before --fxp)\n"
                 "%s"
                 "  -h, --help         show this help\n"
                 "\n"
                 "OUT.png never replaces the skin or the events file; writing through a\n"
                 "symbolic link writes the file it points to.\n",
                 kx::kStateOptionsHelp);
}

bool parsePage(const char* text, int& page) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || end == text || *end || v < 0 || v > 1000000)
        return false;
    page = static_cast<int>(v);
    return true;
}

}  // namespace

int runSnapshot(int argc, char** argv) {
    std::vector<std::string> operands;
    std::string events, skinPath;
    kx::StateOptions state;
    int page = -1;
    kx::OptionReader args(argc, argv);
    while (args.next()) {
        std::string value;
        if (args.isOperand()) {
            operands.push_back(args.operand());
            continue;
        }
        if (args.is("-h") || args.is("--help")) {
            printHelp(stdout);
            return 0;
        }
        if (kx::OptionTaken taken = kx::takeStateOption(args, state, value); taken != kx::OptionTaken::No) {
            if (taken == kx::OptionTaken::Bad)
                return kReport.usageError(value);
        } else if (args.is("--page") || args.is("--events") || args.is("--skin")) {
            if (!args.value(value))
                return kReport.failure(args.name() + " needs a value", 2);
            if (args.is("--page") && !parsePage(value.c_str(), page))
                return kReport.failure("bad page number '" + value + "'", 2);
            if (args.is("--events"))
                events = value;
            if (args.is("--skin"))
                skinPath = value;
        } else {
            return kReport.usageError("unknown option '" + args.name() + "'", printHelp);
        }
        if (args.hasUnusedValue())
            return kReport.usageError(args.name() + " takes no value");
    }
    if (operands.empty())
        return kReport.usageError("no output file given", printHelp);
    if (operands.size() > 2)
        return kReport.failure("one plug-in and one output file only ('" + operands[0] + "', '" + operands[1] + "', '" +
                                   operands[2] + "')",
                               2);
    const std::string out = operands.back();

    // The skin the plug-in shows lies beside the plug-in's file.
    std::string plugin, pluginFolder, error;
    if (operands.size() == 2) {
        struct stat st {};
        if (!kx::locatePlugin(operands[0], plugin, error))
            return kReport.failure(error, 2);
        errno = 0;
        if (::stat(plugin.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return kReport.failure(
                "cannot read the plug-in " + plugin + ": " + (errno ? std::strerror(errno) : "not a regular file"), 2);
    }
    if (operands.size() == 1 && !kx::locatePlugin(defaultPluginPath(), plugin, error))
        plugin.clear();  // none installed: the built-in skin, as the plug-in would show
    if (!plugin.empty())
        pluginFolder = plugin.substr(0, plugin.find_last_of('/') + 1);
    if (!plugin.empty() && pluginFolder.empty())
        pluginFolder = "./";
    kx::FileRoles files;
    files.input("the skin", skinPath.empty() && !pluginFolder.empty() ? pluginFolder + kx::kSkinFileName : skinPath);
    files.input("the events file", events);
    files.input("the plug-in", plugin);
    files.input("the --fxp file", state.fxp);
    files.input("the --fxb file", state.fxb);
    files.output("the picture", out);
    if (std::string clash = files.clash(); !clash.empty())
        return kReport.failure(clash, 2);

    // An instance of this tool's own instrument, driven through the host
    // interface so that presets and settings load as into any plug-in.
    kx::PluginHost host;
    host.hostVendor = "kelvox2";
    host.hostProduct = "snapshot";
    if (!host.create(inProcessEntry, &error))
        return kReport.failure(error, 2);
    kx::KEffect* effect = inProcessEffect(host.effect());
    std::vector<std::string> warnings;
    const kx::StateFault fault = kx::applyStateOptions(host, state, warnings, error);
    for (const std::string& warning : warnings)
        kReport.warn(warning);
    if (fault == kx::StateFault::Usage)
        return kReport.usageError(error);
    if (fault == kx::StateFault::File)
        return kReport.failure(error, 2);

    std::unique_ptr<kx::KSkin> ownSkin;
    if (!skinPath.empty()) {
        errno = 0;  // a directory opens without an error of its own
        kx::KFileSource file(skinPath.c_str());
        if (!file.isOpen()) {
            const int why = errno;
            return kReport.failure("cannot read " + skinPath + ": " + (why ? std::strerror(why) : "not a regular file"),
                                   2);
        }
        // Images the script names lie beside it, as they would beside the plug-in.
        kx::KSkinFactory factory(effect);
        std::string folder = skinPath.substr(0, skinPath.find_last_of('/') + 1);
        factory.setFileFolder(folder.empty() ? "./" : folder);
        ownSkin = kx::parseSkin(file, effect, &factory);
        if (!ownSkin)
            return kReport.failure(skinPath + " declares no size and pages (see check-skin)", 2);
    } else {
        ownSkin = pluginFolder.empty() ? kx::loadSkinFrom(nullptr, effect) : kx::loadSkinIn(pluginFolder, effect);
    }
    kx::KSkin* skin = ownSkin.get();
    if (!skin)
        return kReport.failure("the instrument has no skin", 2);
    SkinView view(*skin);
    if (!view.canvas())
        return kReport.failure("the skin's size " + std::to_string(skin->width()) + " x " +
                                   std::to_string(skin->height()) + " is too large to paint",
                               2);
    if (page >= 0) {
        std::string why;
        if (!view.hasPage(page, why))
            return kReport.failure("--page " + std::to_string(page) + ": " + why, 2);
        skin->SetPage(page);
        view.paint();
    }
    if (!events.empty()) {
        std::ifstream in(events);
        if (!in) {
            const int why = errno;
            return kReport.failure(std::string("cannot read ") + events + ": " + std::strerror(why), 2);
        }
        std::string line, error;
        for (int n = 1; std::getline(in, line); ++n) {
            if (!view.replay(line, error))
                return kReport.failure(events + ":" + std::to_string(n) + ": " + error, 2);
        }
    }
    view.paint();
    if (!kx::writeCanvasPng(*view.canvas(), out.c_str(), error))
        return kReport.failure(error, 2);
    std::printf("%s: %d x %d, page %d\n", out.c_str(), view.canvas()->width(), view.canvas()->height(),
                skin->GetPage());
    return 0;
}

}  // namespace kelvox2
