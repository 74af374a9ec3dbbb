#include "plugin_presets.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace kx {

namespace {

// Plug-ins overrun the nominal text sizes; every text request gets this much room.
constexpr size_t kTextBuffer = 256;

VstIntPtr dispatch(AEffect* e, VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
    return e->dispatcher(e, op, index, value, ptr, opt);
}

std::string textRequest(AEffect* e, VstInt32 op, VstInt32 index) {
    char buf[kTextBuffer] = {};
    dispatch(e, op, index, 0, buf);
    buf[kTextBuffer - 1] = '\0';
    return buf;
}

bool checkOwner(AEffect* e, int32_t fxID, const char* what, std::string& error) {
    if (fxID == e->uniqueID) return true;
    error = std::string("the ") + what + " belongs to plug-in " + describeId(fxID) + ", this plug-in is " +
            describeId(e->uniqueID);
    return false;
}

void setProgramName(AEffect* e, const std::string& name) {
    char buf[kVstMaxProgNameLen + 1] = {};
    std::memcpy(buf, name.data(), std::min(name.size(), size_t(kVstMaxProgNameLen)));
    dispatch(e, effSetProgramName, 0, 0, buf);
}

bool loadParameters(AEffect* e, const FxProgram& p, std::string& error) {
    if (int64_t(p.params.size()) != e->numParams) {
        error = "the program has " + std::to_string(p.params.size()) + " parameters, the plug-in " +
                std::to_string(e->numParams);
        return false;
    }
    for (size_t i = 0; i < p.params.size(); ++i) {
        if (!std::isfinite(p.params[i])) {
            error = "parameter " + std::to_string(i) + " is not a number";
            return false;
        }
    }
    for (size_t i = 0; i < p.params.size(); ++i)
        e->setParameter(e, VstInt32(i), std::clamp(p.params[i], 0.0f, 1.0f));
    setProgramName(e, p.name);
    return true;
}

bool loadChunk(AEffect* e, const std::vector<uint8_t>& chunk, bool isProgram, int32_t fxVersion,
               int32_t elements, std::string& error) {
    VstPatchChunkInfo info{};
    info.version = 1;
    info.pluginUniqueID = e->uniqueID;
    info.pluginVersion = fxVersion;
    info.numElements = elements;
    if (dispatch(e, isProgram ? effBeginLoadProgram : effBeginLoadBank, 0, 0, &info) == -1) {
        error = std::string("the plug-in refused the ") + (isProgram ? "program" : "bank");
        return false;
    }
    // The plug-in copies the data; it is ours again after the call.
    std::vector<uint8_t> copy = chunk;
    dispatch(e, effSetChunk, isProgram ? 1 : 0, VstIntPtr(copy.size()), copy.empty() ? nullptr : copy.data());
    return true;
}

std::vector<uint8_t> getChunk(AEffect* e, bool isProgram) {
    void* data = nullptr;
    VstIntPtr size = dispatch(e, effGetChunk, isProgram ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

FxProgram captureCurrent(AEffect* e) {
    FxProgram p;
    p.fxID = e->uniqueID;
    p.fxVersion = e->version;
    p.name = textRequest(e, effGetProgramName, 0);
    for (VstInt32 i = 0; i < e->numParams; ++i) p.params.push_back(e->getParameter(e, i));
    return p;
}

}  // namespace

std::string describeId(int32_t id) {
    char c[4] = {char(uint32_t(id) >> 24), char(uint32_t(id) >> 16), char(uint32_t(id) >> 8), char(id)};
    bool printable = std::all_of(c, c + 4, [](char x) { return std::isprint(static_cast<unsigned char>(x)); });
    std::string number = std::to_string(id);
    return printable ? "'" + std::string(c, 4) + "' (" + number + ")" : number;
}

bool applyProgram(AEffect* e, const FxProgram& p, std::string& error) {
    if (!checkOwner(e, p.fxID, "program", error)) return false;
    if (p.isChunk) {
        if (!loadChunk(e, p.chunk, true, p.fxVersion, e->numParams, error)) return false;
        setProgramName(e, p.name);
        return true;
    }
    return loadParameters(e, p, error);
}

bool applyBank(AEffect* e, const FxBank& bank, std::string& error) {
    if (!checkOwner(e, bank.fxID, "bank", error)) return false;
    if (bank.isChunk) {
        if (!loadChunk(e, bank.chunk, false, bank.fxVersion, e->numPrograms, error)) return false;
    } else {
        if (int64_t(bank.programs.size()) > e->numPrograms) {
            error = "the bank has " + std::to_string(bank.programs.size()) + " programs, the plug-in " +
                    std::to_string(e->numPrograms);
            return false;
        }
        for (size_t i = 0; i < bank.programs.size(); ++i) {
            const FxProgram& p = bank.programs[i];
            if (p.isChunk) error = "a parameter bank holds a chunk program";
            if (p.isChunk || !checkOwner(e, p.fxID, "program", error)) {
                error = "program " + std::to_string(i) + ": " + error;
                return false;
            }
            dispatch(e, effBeginSetProgram);
            dispatch(e, effSetProgram, 0, VstIntPtr(i));
            dispatch(e, effEndSetProgram);
            if (!loadParameters(e, p, error)) {
                error = "program " + std::to_string(i) + ": " + error;
                return false;
            }
        }
    }
    if (bank.currentProgram >= 0 && bank.currentProgram < e->numPrograms) {
        dispatch(e, effBeginSetProgram);
        dispatch(e, effSetProgram, 0, bank.currentProgram);
        dispatch(e, effEndSetProgram);
    }
    return true;
}

FxProgram captureProgram(AEffect* e) {
    FxProgram p = captureCurrent(e);
    if (e->flags & effFlagsProgramChunks) {
        p.isChunk = true;
        p.chunkNumParams = e->numParams;
        p.chunk = getChunk(e, true);
        p.params.clear();
    }
    return p;
}

FxBank captureBank(AEffect* e) {
    FxBank bank;
    bank.fxID = e->uniqueID;
    bank.fxVersion = e->version;
    bank.currentProgram = VstInt32(dispatch(e, effGetProgram));
    if (e->flags & effFlagsProgramChunks) {
        bank.isChunk = true;
        bank.chunkNumPrograms = e->numPrograms;
        bank.chunk = getChunk(e, false);
        return bank;
    }
    for (VstInt32 i = 0; i < e->numPrograms; ++i) {
        dispatch(e, effSetProgram, 0, i);
        bank.programs.push_back(captureCurrent(e));
    }
    dispatch(e, effSetProgram, 0, bank.currentProgram);
    return bank;
}

std::string parameterName(AEffect* e, int index) { return textRequest(e, effGetParamName, index); }

std::string parameterDisplay(AEffect* e, int index) { return textRequest(e, effGetParamDisplay, index); }

int findParameterByName(AEffect* e, const std::string& name) {
    auto lower = [](std::string s) {
        for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::string wanted = lower(name);
    for (int i = 0; i < e->numParams; ++i)
        if (lower(parameterName(e, i)) == wanted) return i;
    return -1;
}

bool setParameterText(AEffect* e, int index, const std::string& text) {
    std::string copy = text;  // the plug-in gets a terminated text it may not keep
    return dispatch(e, effString2Parameter, index, 0, copy.data()) != 0;
}

}  // namespace kx
