// Moving programs and banks between .fxp/.fxb contents and a loaded plug-in,
// the way hosts do: parameter lists through setParameter and the program
// name, chunk forms through effBeginLoadProgram/Bank and effSetChunk. Every
// load first checks that the file belongs to this plug-in.
#pragma once

#include "kelvox2/host/fx_preset.h"

#include "kelvox2/host/plugin_host.h"

#include <string>

namespace kx {

// Loads into the current program.
bool applyProgram(PluginHost& host, const FxProgram& program, std::string& error);
// Loads every program, then selects the bank's current program.
bool applyBank(PluginHost& host, const FxBank& bank, std::string& error);

// The current program / the whole bank, as chunks when the plug-in keeps its
// state in chunks, else as parameter lists.
FxProgram captureProgram(PluginHost& host);
FxBank captureBank(PluginHost& host);

// 'abcd' when printable, else the number.
std::string describeId(int32_t id);

}  // namespace kx
