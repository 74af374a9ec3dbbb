// A value for a parameter of any VST 2.4 plug-in, read as a musician types
// it, and set through the interface.
//
// The text is read by the plug-in framework's reader (params/typed_text.h),
// the one the instrument's editor and effString2Parameter use, on what the
// parameter shows through the interface: one of its named values (in any
// letter case, or a unique start of one), or a number, optionally followed by
// the parameter's unit or a scaled one of the same kind ("500ms" for a
// parameter in s). A number beyond the range is clamped, with a warning. A
// number goes to the plug-in as plain text in its unit (effString2Parameter);
// when the plug-in does not take it or shows something else, the normalised
// value is searched for by its display instead.
#pragma once

#include "kelvox2/host/parameter_shape.h"
#include "kelvox2/host/plugin_host.h"

#include <string>

namespace kx {

// The parameter a setting names: its whole name or a unique start of it, in
// any letter case; -1 with a message otherwise.
int findParameterNamed(const PluginHost& host, const std::string& name, std::string& error);

// True when set. warning is set when the value was changed on the way (a
// clamp); error names the parameter and what it accepts when nothing was set.
bool setTypedValue(const PluginHost& host, const ParameterShape& shape, const std::string& text, std::string& warning,
                   std::string& error);

}  // namespace kx
