// kelvox2 edit: hosts a plug-in's editor in a window of its own, as a DAW
// would; replays events, saves the window's picture, reloads a skin on change.
#include <cstdio>
#include <string>

#include "kelvox2/commands/command_messages.h"
#include "kelvox2/commands/subcommands.h"
#include "kelvox2/edit/edit_session.h"
#include "kelvox2/edit/replay_script.h"
#include "kelvox2/host/option_reader.h"
#include "kelvox2/host/state_options.h"

namespace kelvox2 {

namespace {

const CommandMessages kReport("edit");

void printHelp(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 edit [PLUGIN] [--skin FILE] [--program N] [--fxb FILE] [--fxp FILE]\n"
                 "                    [--set NAME=VALUE]... [--events FILE] [--screenshot OUT.png]\n"
                 "                    [--quit] [--verbose]\n"
                 "\n"
                 "Opens the editor of a VST 2.4 plug-in (.so) in a window on the X display named by\n"
                 "DISPLAY, as a host would: sized by the editor, idled about 30 times a second, keys\n"
                 "the editor leaves forwarded to it. Close the window or press Ctrl+C to end.\n"
                 "PLUGIN defaults to the Kelvox2.so next to this tool.\n"
                 "\n"
                 "options:\n"
                 "  --skin FILE        show this skin script (plug-ins on this framework) and show it\n"
                 "                     again, parameters kept, whenever it or an image beside it changes;\n"
                 "                     each time, the skin checker's report (as check-skin prints it)\n"
                 "                     goes to stderr, with the controls a lost image took away\n"
                 "  --program N        select program N before opening (after --fxb, before --fxp)\n");
    std::fputs(kx::kStateOptionsHelp, out);
    std::fprintf(out,
                 "  --events FILE      replay input through the X server once the editor shows,\n"
                 "                     one event per line, in editor pixels:\n"
                 "%s"
                 "  --screenshot OUT   save the window's picture as PNG after the replay\n"
                 "  --quit             close once the events and the picture are done\n"
                 "  -v, --verbose      report forwarded keys and X errors on stderr\n"
                 "  -h, --help         show this help\n"
                 "\n"
                 "output, one line per event on stdout:\n"
                 "%s"
                 "\n"
                 "exit status: 0 done; 1 the display or an event failed; 2 bad options or files, or a\n"
                 "plug-in that does not load or has no editor; 128+N ended by signal N before the\n"
                 "events and the picture were done\n",
                 kReplayHelp, kEditOutputHelp);
}

}  // namespace

int runEdit(int argc, char** argv) {
    EditOptions options;
    std::string plugin;
    kx::OptionReader args(argc, argv);
    auto usageError = [](const std::string& text) { return kReport.usageError(text, printHelp); };
    while (args.next()) {
        if (args.isOperand()) {
            if (!plugin.empty())
                return usageError("more than one plug-in given ('" + plugin + "' and '" + args.operand() + "')");
            plugin = args.operand();
            continue;
        }
        if (args.is("-h") || args.is("--help")) {
            printHelp(stdout);
            return 0;
        }
        std::string value;
        if (kx::OptionTaken taken = kx::takeStateOption(args, options.state, value, false);
            taken != kx::OptionTaken::No) {
            if (taken == kx::OptionTaken::Bad)
                return usageError(value);
        } else if (args.is("--skin") || args.is("--events") || args.is("--screenshot") || args.is("--program")) {
            if (!args.value(value) || value.empty())
                return usageError(args.name() + " needs a value");
            if (args.is("--skin"))
                options.skinPath = value;
            else if (args.is("--events"))
                options.eventsPath = value;
            else if (args.is("--screenshot"))
                options.screenshotPath = value;
            else if (!kx::parseInteger(value, 0, 1 << 20, options.program))
                return usageError("bad program number '" + value + "' (a whole number from 0)");
        } else if (args.is("--quit")) {
            options.quit = true;
        } else if (args.is("-v") || args.is("--verbose")) {
            options.verbose = true;
        } else {
            return usageError("unknown option '" + args.name() + "'");
        }
        if (args.hasUnusedValue())
            return usageError(args.name() + " takes no value");
    }
    options.pluginPath = plugin.empty() ? defaultPluginPath() : plugin;
    return runEditSession(options);
}

}  // namespace kelvox2
