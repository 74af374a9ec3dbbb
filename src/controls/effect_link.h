// How the skin and its controls reach the effect: lookups by name, the
// current program's values and texts, the input and output counts, commands
// and variables. Controls change a parameter through KParamEdit. Editor
// thread only.
#pragma once

#include <cstddef>

namespace kx {

class KEffect;
class KDisplayValue;
enum class KDisplayValueType;

// Lookups by name; -1 when absent.
int findParameterIndex(const KEffect* effect, const char* name);  // case-insensitive
int findCommandNumber(const KEffect* effect, const char* name);   // exact
const KDisplayValue* findDisplayValue(const KEffect* effect, const char* name, KDisplayValueType type);

// Values of the current program. An index outside the parameter list reads 0.
double paramValue(const KEffect* effect, int index);
double paramQuantised(const KEffect* effect, int index);
double paramRealValue(const KEffect* effect, int index);
double paramDefault(const KEffect* effect, int index);
bool paramAcceptsText(const KEffect* effect, int index);
// The intervals a stepped parameter's range is divided into (a choice of n
// entries has n - 1); 0 for a continuous one.
int paramGridSteps(const KEffect* effect, int index);
// The bank's cached display text with units; never null.
const char* paramUnitText(const KEffect* effect, int index);

int effectInputCount(const KEffect* effect);
int effectOutputCount(const KEffect* effect);
void runEffectCommand(KEffect* effect, int command, bool shift, bool ctrl);
void expandEffectVariables(KEffect* effect, char* out, size_t size, const char* text);

}  // namespace kx
