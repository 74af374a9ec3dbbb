// The options that set a plug-in's state before a command uses it, taken
// alike by render, edit and snapshot: a bank, a program number, a program
// file and typed parameter values, applied in that order.
#pragma once

#include <string>
#include <vector>

namespace kx {

class OptionReader;
class PluginHost;

struct StateOptions {
    std::string fxb;                // --fxb FILE
    int program = -1;               // --program N
    std::string fxp;                // --fxp FILE
    std::vector<std::string> sets;  // --set NAME=VALUE, in order
};

enum class OptionTaken { No, Yes, Bad };

// Takes the option the reader stands on when it is one of the above (without
// --program when the command reads that itself); Bad with the message when
// its value is.
OptionTaken takeStateOption(OptionReader& r, StateOptions& o, std::string& error, bool withProgram = true);

// The help lines of --fxb, --fxp and --set, for commands that list them.
extern const char* const kStateOptionsHelp;

enum class StateFault { Ok, Usage, File };

// Loads the bank, selects the program, loads the program file and types each
// value as a musician would (typed_value.h), in that order. Usage: a --set
// or --program the plug-in cannot take; File: a preset that cannot be read
// or is not the plug-in's. Values changed on the way (clamped) are noted in
// warnings.
StateFault applyStateOptions(PluginHost& host, const StateOptions& o, std::vector<std::string>& warnings,
                             std::string& error);

}  // namespace kx
