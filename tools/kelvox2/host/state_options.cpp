#include "kelvox2/host/state_options.h"

#include "kelvox2/host/fx_preset.h"
#include "kelvox2/host/option_reader.h"
#include "kelvox2/host/parameter_shape.h"
#include "kelvox2/host/plugin_host.h"
#include "kelvox2/host/plugin_presets.h"
#include "kelvox2/host/typed_value.h"

namespace kx {

const char* const kStateOptionsHelp =
    "  --fxb FILE         load a bank (.fxb) first\n"
    "  --fxp FILE         load a program (.fxp) into the current program\n"
    "  --set NAME=VALUE   set a parameter; repeatable. NAME in any letter case, or a\n"
    "                     unique start of it. VALUE is one of its choices (any case,\n"
    "                     or a unique start: Wave2=saw) or a number, with its unit\n"
    "                     or a scaled one (Attk1=500ms); numbers outside the range\n"
    "                     are clamped. 'kelvox2 info --params' lists what each takes\n";

OptionTaken takeStateOption(OptionReader& r, StateOptions& o, std::string& error, bool withProgram) {
    std::string value;
    if (withProgram && r.is("--program")) {
        if (!r.value(value) || !parseInteger(value, 0, 1 << 20, o.program)) {
            error = "--program needs a program number, not '" + value + "'";
            return OptionTaken::Bad;
        }
    } else if (r.is("--set")) {
        if (!r.value(value) || value.find('=') == std::string::npos || value.front() == '=') {
            error = "--set needs NAME=VALUE, not '" + value + "'";
            return OptionTaken::Bad;
        }
        o.sets.push_back(value);
    } else if (r.is("--fxp") || r.is("--fxb")) {
        const std::string name = r.name();
        if (!r.value(value) || value.empty()) {
            error = name + " needs a file name";
            return OptionTaken::Bad;
        }
        (name == "--fxp" ? o.fxp : o.fxb) = value;
    } else {
        return OptionTaken::No;
    }
    return OptionTaken::Yes;
}

StateFault applyStateOptions(PluginHost& host, const StateOptions& o, std::vector<std::string>& warnings,
                             std::string& error) {
    if (!o.fxb.empty()) {
        FxBank bank;
        if (!readFxbFile(o.fxb.c_str(), bank, error))
            return StateFault::File;
        if (!applyBank(host, bank, error)) {
            error = o.fxb + ": " + error;
            return StateFault::File;
        }
    }
    if (o.program >= 0) {
        if (o.program >= host.numPrograms()) {
            error = "--program " + std::to_string(o.program) + ": the plug-in has " +
                    std::to_string(host.numPrograms()) + " programs (0.." + std::to_string(host.numPrograms() - 1) +
                    ")";
            return StateFault::File;
        }
        host.setProgram(o.program);
    }
    if (!o.fxp.empty()) {
        FxProgram program;
        if (!readFxpFile(o.fxp.c_str(), program, error))
            return StateFault::File;
        if (!applyProgram(host, program, error)) {
            error = o.fxp + ": " + error;
            return StateFault::File;
        }
    }
    for (const std::string& s : o.sets) {
        const size_t eq = s.find('=');
        const std::string name = s.substr(0, eq), text = s.substr(eq + 1);
        const int index = findParameterNamed(host, name, error);
        if (index < 0) {
            error = "--set " + s + ": " + error;
            return StateFault::Usage;
        }
        const ParameterShape shape = probeParameter(host, index);
        std::string warning;
        if (!setTypedValue(host, shape, text, warning, error)) {
            error = "--set " + s + ": " + error;
            return StateFault::Usage;
        }
        if (!warning.empty())
            warnings.push_back(warning);
    }
    return StateFault::Ok;
}

}  // namespace kx
