// Moving programs and banks between .fxp/.fxb contents and a loaded plug-in,
// the way hosts do: parameter lists through setParameter and the program
// name, chunk forms through effBeginLoadProgram/Bank and effSetChunk. Every
// load first checks that the file belongs to this plug-in.
#pragma once

#include "fx_preset.h"

#include "plugin/vst_abi.h"

#include <string>

namespace kx {

// Loads into the current program.
bool applyProgram(AEffect* effect, const FxProgram& program, std::string& error);
// Loads every program, then selects the bank's current program.
bool applyBank(AEffect* effect, const FxBank& bank, std::string& error);

// The current program / the whole bank, as chunks when the plug-in keeps its
// state in chunks, else as parameter lists.
FxProgram captureProgram(AEffect* effect);
FxBank captureBank(AEffect* effect);

// Index of the parameter whose name matches ignoring case, or -1.
int findParameterByName(AEffect* effect, const std::string& name);
// Applies typed text through effString2Parameter; false when the plug-in refuses it.
bool setParameterText(AEffect* effect, int index, const std::string& text);
std::string parameterName(AEffect* effect, int index);
std::string parameterDisplay(AEffect* effect, int index);

// 'abcd' when printable, else the number.
std::string describeId(int32_t id);

}  // namespace kx
