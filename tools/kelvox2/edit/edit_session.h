// The session behind `kelvox2 edit`: one plug-in loaded through PluginHost,
// its editor opened into a HostWindow and driven as a DAW drives it (size
// from effEditGetRect before and after opening, effEditIdle at about 30 Hz,
// keys the editor leaves forwarded to effEditKeyDown/Up), the plug-in's
// notifications printed one per line, events replayed through XTest, the
// window's picture saved, and a skin under edit reloaded when it changes.
#pragma once

#include <string>

#include "kelvox2/host/state_options.h"

namespace kelvox2 {

struct EditOptions {
    std::string pluginPath;
    std::string skinPath;        // empty: the plug-in's own skin
    int program = -1;            // -1: the plug-in's current program
    kx::StateOptions state;      // --fxb, --fxp and --set (the program is the one above)
    std::string eventsPath;      // empty: no replay
    std::string screenshotPath;  // empty: no picture
    bool quit = false;           // close once replay and picture are done
    bool verbose = false;        // report forwarded keys and X errors on stderr
};

// Lines on stdout, one per event, flushed as they happen.
extern const char* const kEditOutputHelp;

// Runs the session until the window is closed, SIGINT or SIGTERM arrives, or
// (with quit) the work is done. Returns the process's exit code: 0, 1 when
// the plug-in, the display or a step failed, 2 for unusable input files.
int runEditSession(const EditOptions& options);

}  // namespace kelvox2
