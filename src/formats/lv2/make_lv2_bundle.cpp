// Writes the LV2 bundle's description (manifest.ttl, Kelvox2.ttl,
// presets.ttl) from real instances of the instrument: its parameter table
// gives the ports (names, ranges, defaults, choices, units), and the factory
// sounds, read by its own preset reader as for the VST bank file, the
// presets. Run at build time; the texts never go out of step with the code.
//
// usage: make_lv2_bundle FACTORY.txt BUNDLE_DIR
#include "data/byte_source.h"
#include "data/preset_reader.h"
#include "formats/lv2/lv2_ports.h"
#include "formats/lv2/lv2_uris.h"
#include "instrument/synth_effect.h"
#include "params/enum_param.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : opcode == audioMasterGetSampleRate ? 44100 : 0;
}

const char* const kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// A Turtle string literal.
std::string quoted(const char* text) {
    std::string out = "\"";
    for (const char* c = text; *c; ++c) {
        if (*c == '"' || *c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(*c) >= 0x20)
            out += *c;
    }
    return out + "\"";
}

// The shortest Turtle number that reads back as the same float (ports are
// floats).
std::string number(double value) {
    const float wanted = static_cast<float>(value);
    char text[32];
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(wanted));
        if (std::strtof(text, nullptr) == wanted)
            break;
    }
    std::string out = text;
    if (out.find_first_of(".e") == std::string::npos)
        out += ".0";
    return out;
}

// A port symbol: letters, digits and underscores, not starting with a digit.
std::string symbol(const char* name) {
    std::string out;
    for (const char* c = name; *c; ++c)
        out += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    if (out.empty() || std::isdigit(static_cast<unsigned char>(out[0])))
        out = "p" + out;
    return out;
}

// The LV2 unit for a parameter's unit text; empty where LV2 has none.
std::string unitFor(const char* units) {
    const std::string u = units;
    if (u == "s")
        return "units:s";
    if (u == "cents")
        return "units:cent";
    if (u == "deg")
        return "units:degree";
    if (u == "%")
        return "units:pc";
    if (u == "semis")
        return "units:semitone12TET";
    if (u == "per bar")
        return "[ a units:Unit ; rdfs:label \"cycles per bar\" ; units:symbol \"/bar\" ; units:render \"%.0f per bar\" "
               "]";
    return "";
}

std::string presetUri(int program) {
    return std::string("<" KX_LV2_URI "#program") + std::to_string(program + 1) + ">";
}

std::string manifest(const kx::KEffect& effect) {
    std::ostringstream out;
    out << kPrefixes;
    out << "<" KX_LV2_URI ">\n    a lv2:Plugin ;\n    lv2:binary <" KX_LV2_BINARY "> ;\n"
        << "    rdfs:seeAlso <Kelvox2.ttl> .\n\n";
    out << "<" KX_LV2_UI_URI ">\n    a ui:X11UI ;\n    ui:binary <" KX_LV2_BINARY "> ;\n"
        << "    rdfs:seeAlso <Kelvox2.ttl> .\n";
    for (int p = 0; p < kx::kSynthProgramCount; ++p)
        out << "\n"
            << presetUri(p) << "\n    a pset:Preset ;\n    lv2:appliesTo <" KX_LV2_URI "> ;\n"
            << "    rdfs:label " << quoted(effect.getBank().programName(p)) << " ;\n"
            << "    rdfs:seeAlso <presets.ttl> .\n";
    return out.str();
}

// The default is the value a new instance holds (its first program's): a
// host that sets every port to its default changes nothing.
void controlPort(std::ostringstream& out, const kx::KParam& param, int index, double current) {
    const kx::lv2::PortRange range = kx::lv2::portRange(param, current);
    out << " , [\n        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << kx::lv2::kFirstParamPort + index << " ;\n"
        << "        lv2:symbol " << quoted(symbol(param.getName()).c_str()) << " ;\n"
        << "        lv2:name " << quoted(param.getName()) << " ;\n"
        << "        lv2:default " << number(range.defaultValue) << " ;\n"
        << "        lv2:minimum " << number(range.minimum) << " ;\n"
        << "        lv2:maximum " << number(range.maximum);
    if (range.scale == kx::lv2::PortScale::Choice) {
        const auto& choice = static_cast<const kx::KEnumParam&>(param);
        out << " ;\n        lv2:portProperty lv2:integer , lv2:enumeration";
        for (int e = 0; e < choice.getEntryCount(); ++e)
            out << " ;\n        lv2:scalePoint [ rdfs:label " << quoted(choice.getEntry(e)) << " ; rdf:value "
                << number(e) << " ]";
    } else if (range.integer) {
        out << " ;\n        lv2:portProperty lv2:integer";
    }
    if (range.scale == kx::lv2::PortScale::Normalised) {
        // A gain shown by the editor in dB: the port holds the stored 0..1.
        out << " ;\n        rdfs:comment \"gain, 0 (silent) to 1 (" << param.getUnits() << " 0)\"";
    } else if (const std::string unit = unitFor(param.getUnits()); !unit.empty()) {
        out << " ;\n        units:unit " << unit;
    }
    out << "\n    ]";
}

std::string plugin(const kx::KEffect& effect) {
    std::ostringstream out;
    out << kPrefixes;
    out << "<" KX_LV2_URI ">\n    a lv2:InstrumentPlugin , lv2:Plugin , doap:Project ;\n"
        << "    doap:name \"Kelvox2\" ;\n"
        << "    doap:maintainer [ foaf:name \"Tamlow\" ] ;\n"
        << "    lv2:minorVersion 2 ;\n    lv2:microVersion 4 ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , opts:options ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    ui:ui <" KX_LV2_UI_URI "> ;\n"
        << "    lv2:port [\n        a lv2:InputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n        atom:supports midi:MidiEvent , time:Position ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:index " << kx::lv2::kEventsPort << " ;\n"
        << "        lv2:symbol \"events\" ;\n        lv2:name \"Events\"\n    ] , [\n"
        << "        a lv2:OutputPort , lv2:AudioPort ;\n"
        << "        lv2:index " << kx::lv2::kOutputPort << " ;\n"
        << "        lv2:symbol \"out\" ;\n        lv2:name \"Output\"\n    ]";
    for (int i = 0; i < kx::kSynthParamCount; ++i)
        controlPort(out, *effect.getParam(i), i, effect.getParameterValue(i));
    out << " .\n\n";
    out << "<" KX_LV2_UI_URI ">\n    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:idleInterface , ui:parent , <http://lv2plug.in/ns/ext/instance-access> ;\n"
        << "    lv2:optionalFeature ui:resize , ui:touch , ui:noUserResize ;\n"
        << "    lv2:extensionData ui:idleInterface .\n";
    return out.str();
}

std::string presets(kx::KEffect& effect) {
    std::ostringstream out;
    out << kPrefixes;
    for (int p = 0; p < kx::kSynthProgramCount; ++p) {
        effect.setProgram(p);
        out << presetUri(p) << "\n    a pset:Preset ;\n    lv2:appliesTo <" KX_LV2_URI "> ;\n"
            << "    rdfs:label " << quoted(effect.getBank().programName(p)) << " ;\n    lv2:port";
        for (int i = 0; i < kx::kSynthParamCount; ++i) {
            const kx::KParam& param = *effect.getParam(i);
            out << (i ? " , [" : " [") << " lv2:symbol " << quoted(symbol(param.getName()).c_str()) << " ; pset:value "
                << number(kx::lv2::toPortValue(param, effect.getParameterValue(i))) << " ]";
        }
        out << " .\n\n";
    }
    return out.str();
}

bool write(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_lv2_bundle: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_lv2_bundle FACTORY.txt BUNDLE_DIR\n");
        return 2;
    }
    // A new instance gives the ports' defaults; a second one holds the
    // factory sounds.
    std::unique_ptr<kx::KEffect> fresh(static_cast<kx::KEffect*>(kx::createEffectInstance(quietHost)));
    std::unique_ptr<kx::KEffect> factory(static_cast<kx::KEffect*>(kx::createEffectInstance(quietHost)));
    kx::KFileSource source(argv[1]);
    if (!source.isOpen()) {
        std::fprintf(stderr, "make_lv2_bundle: cannot read %s\n", argv[1]);
        return 1;
    }
    kx::readPresets(factory->getBank(), &source);
    const std::string dir = std::string(argv[2]) + "/";
    const bool ok = write(dir + "manifest.ttl", manifest(*factory)) && write(dir + "Kelvox2.ttl", plugin(*fresh)) &&
                    write(dir + "presets.ttl", presets(*factory));
    return ok ? 0 : 1;
}
