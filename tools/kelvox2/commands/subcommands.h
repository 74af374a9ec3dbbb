// The subcommands of the kelvox2 tool. Each lives in its own cmd_<name>.cpp;
// every one prints its --help and returns the process exit code.
#pragma once

#include <optional>

namespace kelvox2 {

// A subcommand runs in steps; each step either lets it carry on (empty) or
// ends it with an exit code, which may be 0 (--help ends a command well).
using EarlyExit = std::optional<int>;
inline constexpr std::nullopt_t kCarryOn = std::nullopt;

// argv[0] is the subcommand's name; the options and operands follow.
int runInfo(int argc, char** argv);
int runRender(int argc, char** argv);
int runBench(int argc, char** argv);
int runPng(int argc, char** argv);
int runSnapshot(int argc, char** argv);
int runCheckSkin(int argc, char** argv);
// "skin export DIR": argv[1] is the action.
int runSkin(int argc, char** argv);
int runEdit(int argc, char** argv);
int runValidate(int argc, char** argv);

// Path of the built plug-in next to the tool, used when no PLUGIN is given.
const char* defaultPluginPath();

}  // namespace kelvox2
