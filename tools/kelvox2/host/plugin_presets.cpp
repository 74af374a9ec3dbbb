#include "kelvox2/host/plugin_presets.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace kx {

namespace {

bool checkOwner(const PluginHost& host, int32_t fxID, const char* what, std::string& error) {
    if (fxID == host.effect()->uniqueID)
        return true;
    error = std::string("the ") + what + " belongs to plug-in " + describeId(fxID) + ", this plug-in is " +
            describeId(host.effect()->uniqueID);
    return false;
}

void setProgramName(const PluginHost& host, const std::string& name) {
    host.setProgramName(name.substr(0, kVstMaxProgNameLen));
}

void selectProgram(const PluginHost& host, int program) {
    host.dispatch(effBeginSetProgram);
    host.setProgram(program);
    host.dispatch(effEndSetProgram);
}

// "parameter 3 (Detune1)": the index as 'info --params' counts, and the name.
std::string parameterNamed(const PluginHost& host, size_t index) {
    return "parameter " + std::to_string(index) + " (" + host.paramName(int(index)) + ")";
}

// A value a host never stores for 0..1: far outside it, or so close to 0
// that only a float read with its bytes the wrong way round comes out so.
bool farOutside(float v) { return !std::isfinite(v) || std::fabs(v) > 2.0f || (v != 0.0f && std::fabs(v) < 1e-20f); }

float swapBytes(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    bits = (bits >> 24) | ((bits >> 8) & 0xFF00u) | ((bits << 8) & 0xFF0000u) | (bits << 24);
    std::memcpy(&v, &bits, 4);
    return v;
}

// The index of the first value that tells that the values came out of a
// byte-swapped file, or -1. Some lie far outside 0..1, and either all do
// (zeros aside) or every one read the other way round lies in 0..1.
long swappedWitness(const std::vector<float>& values) {
    long witness = -1;
    bool allFar = true, allFitSwapped = true;
    for (size_t i = 0; i < values.size(); ++i) {
        const float swapped = swapBytes(values[i]);
        allFitSwapped = allFitSwapped && swapped >= 0.0f && swapped <= 1.0f;
        if (values[i] == 0.0f)
            continue;
        if (!farOutside(values[i]))
            allFar = false;
        else if (witness < 0)
            witness = long(i);
    }
    return witness >= 0 && (allFar || allFitSwapped) ? witness : -1;
}

bool loadParameters(const PluginHost& host, const FxProgram& p, std::string& error) {
    if (int64_t(p.params.size()) != host.numParams()) {
        error = "the program has " + std::to_string(p.params.size()) + " parameters, the plug-in " +
                std::to_string(host.numParams());
        return false;
    }
    if (const long i = swappedWitness(p.params); i >= 0) {
        char value[32];
        std::snprintf(value, sizeof value, "%g", double(p.params[size_t(i)]));
        error = "every value lies far outside 0..1 (" + parameterNamed(host, size_t(i)) + " is " + value +
                "): the file looks byte-swapped (its numbers written little-endian) and is refused";
        return false;
    }
    for (size_t i = 0; i < p.params.size(); ++i) {
        if (!std::isfinite(p.params[i])) {
            error = parameterNamed(host, i) + " is not a number";
            return false;
        }
    }
    for (size_t i = 0; i < p.params.size(); ++i)
        host.setParameter(int(i), std::clamp(p.params[i], 0.0f, 1.0f));
    setProgramName(host, p.name);
    return true;
}

bool usesChunks(const PluginHost& host) { return host.effect()->flags & effFlagsProgramChunks; }

bool loadChunk(const PluginHost& host, const std::vector<uint8_t>& chunk, bool isProgram, int32_t fxVersion,
               int32_t elements, std::string& error) {
    VstPatchChunkInfo info{};
    info.version = 1;
    info.pluginUniqueID = host.effect()->uniqueID;
    info.pluginVersion = fxVersion;
    info.numElements = elements;
    const char* what = isProgram ? "program" : "bank";
    if (chunk.empty()) {
        error = std::string("the ") + what + " chunk is empty";
        return false;
    }
    if (host.dispatch(isProgram ? effBeginLoadProgram : effBeginLoadBank, 0, 0, &info) == -1) {
        error = std::string("the plug-in refused the ") + what;
        return false;
    }
    // Plug-ins that keep their state in chunks often answer 0 whatever
    // happened. One without that flag answers the bytes it took, or 0 when
    // it refused the chunk (a short one) or cannot take chunks at all.
    if (host.setChunk(chunk, isProgram) == 0 && !usesChunks(host)) {
        error = "the plug-in did not take the " + std::to_string(chunk.size()) + "-byte " + what + " chunk";
        return false;
    }
    return true;
}

FxProgram captureCurrent(const PluginHost& host) {
    FxProgram p;
    p.fxID = host.effect()->uniqueID;
    p.fxVersion = host.effect()->version;
    p.name = host.programName();
    for (int i = 0; i < host.numParams(); ++i)
        p.params.push_back(host.getParameter(i));
    return p;
}

}  // namespace

std::string describeId(int32_t id) {
    char c[4] = {char(uint32_t(id) >> 24), char(uint32_t(id) >> 16), char(uint32_t(id) >> 8), char(id)};
    bool printable = std::all_of(c, c + 4, [](char x) { return std::isprint(static_cast<unsigned char>(x)); });
    std::string text = std::to_string(id);
    if (printable) {
        std::string quoted = "'";
        quoted.append(c, 4).append("' (").append(text).append(")");
        text = quoted;
    }
    return text;
}

bool applyProgram(PluginHost& host, const FxProgram& p, std::string& error) {
    if (!checkOwner(host, p.fxID, "program", error))
        return false;
    if (p.isChunk) {
        if (!loadChunk(host, p.chunk, true, p.fxVersion, host.numParams(), error))
            return false;
        setProgramName(host, p.name);
        return true;
    }
    return loadParameters(host, p, error);
}

bool applyBank(PluginHost& host, const FxBank& bank, std::string& error) {
    if (!checkOwner(host, bank.fxID, "bank", error))
        return false;
    if (bank.isChunk) {
        if (!loadChunk(host, bank.chunk, false, bank.fxVersion, host.numPrograms(), error))
            return false;
    } else {
        if (int64_t(bank.programs.size()) > host.numPrograms()) {
            error = "the bank has " + std::to_string(bank.programs.size()) + " programs, the plug-in " +
                    std::to_string(host.numPrograms());
            return false;
        }
        for (size_t i = 0; i < bank.programs.size(); ++i) {
            const FxProgram& p = bank.programs[i];
            if (p.isChunk)
                error = "a parameter bank holds a chunk program";
            bool ok = !p.isChunk && checkOwner(host, p.fxID, "program", error);
            if (ok) {
                selectProgram(host, int(i));
                ok = loadParameters(host, p, error);
            }
            if (!ok) {
                error = "program " + std::to_string(i) + ": " + error;
                return false;
            }
        }
    }
    if (bank.currentProgram >= 0 && bank.currentProgram < host.numPrograms())
        selectProgram(host, bank.currentProgram);
    return true;
}

FxProgram captureProgram(PluginHost& host) {
    FxProgram p = captureCurrent(host);
    if (usesChunks(host)) {
        p.isChunk = true;
        p.chunkNumParams = host.numParams();
        p.chunk = host.getChunk(true);
        p.params.clear();
    }
    return p;
}

FxBank captureBank(PluginHost& host) {
    FxBank bank;
    bank.fxID = host.effect()->uniqueID;
    bank.fxVersion = host.effect()->version;
    bank.currentProgram = int32_t(host.getProgram());
    if (usesChunks(host)) {
        bank.isChunk = true;
        bank.chunkNumPrograms = host.numPrograms();
        bank.chunk = host.getChunk(false);
        return bank;
    }
    for (int i = 0; i < host.numPrograms(); ++i) {
        host.setProgram(i);
        bank.programs.push_back(captureCurrent(host));
    }
    host.setProgram(bank.currentProgram);
    return bank;
}

}  // namespace kx
