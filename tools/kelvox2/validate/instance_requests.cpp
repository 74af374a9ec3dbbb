#include "kelvox2/validate/test_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// The instance's requests that hand the plug-in a buffer or a chunk: each
// buffer is followed by a guard, and what the plug-in wrote past its room
// or left unterminated is reported.
namespace kx::validate {

namespace {

constexpr std::size_t kMaxChunk = 256u << 20;
constexpr unsigned char kGuardByte = 0xA5;
// Printable, for messages.
std::string printable(const unsigned char* bytes, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n && bytes[i]; ++i)
        s += bytes[i] >= 32 && bytes[i] < 127 ? static_cast<char>(bytes[i]) : '?';
    return s;
}

}  // namespace

const char* opcodeName(VstInt32 opcode) {
    switch (opcode) {
    case effGetProgramName: return "effGetProgramName";
    case effGetParamLabel: return "effGetParamLabel";
    case effGetParamDisplay: return "effGetParamDisplay";
    case effGetParamName: return "effGetParamName";
    case effEditGetRect: return "effEditGetRect";
    case effGetChunk: return "effGetChunk";
    case effGetProgramNameIndexed: return "effGetProgramNameIndexed";
    case effGetInputProperties: return "effGetInputProperties";
    case effGetOutputProperties: return "effGetOutputProperties";
    case effGetEffectName: return "effGetEffectName";
    case effGetVendorString: return "effGetVendorString";
    case effGetProductString: return "effGetProductString";
    case effGetParameterProperties: return "effGetParameterProperties";
    case effShellGetNextPlugin: return "effShellGetNextPlugin";
    case effGetSpeakerArrangement: return "effGetSpeakerArrangement";
    default: return "request";
    }
}

GuardedText Instance::text(VstInt32 opcode, VstInt32 index, std::size_t chars, VstIntPtr value) {
    const std::size_t room = chars + 1;
    std::vector<unsigned char> buffer(room + kTextGuard, kGuardByte);
    std::memset(buffer.data(), 0, room);
    GuardedText result;
    result.answer = dispatch(opcode, index, value, buffer.data());
    std::size_t lastChanged = 0;
    bool overrun = false;
    for (std::size_t i = 0; i < kTextGuard; ++i)
        if (buffer[room + i] != kGuardByte) {
            overrun = true;
            lastChanged = i;
        }
    const void* end = std::memchr(buffer.data(), 0, room);
    const std::size_t length =
        end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - buffer.data()) : room;
    result.text.assign(reinterpret_cast<const char*>(buffer.data()), length);
    char message[512];
    if (overrun) {
        std::snprintf(message, sizeof message,
                      "wrote %zu bytes ('%s') into a buffer of %zu (%zu characters and the terminator)",
                      room + lastChanged + 1, printable(buffer.data(), buffer.size()).c_str(), room, chars);
        result.fault = message;
    } else if (!end) {
        std::snprintf(message, sizeof message, "left '%s' without a terminator in its %zu bytes",
                      printable(buffer.data(), room).c_str(), room);
        result.fault = message;
    }
    return result;
}

namespace {

// The test that reports a text's faults: one cause, one failure, however
// many tests read the text.
const char* textOwner(VstInt32 opcode) {
    switch (opcode) {
    case effGetParamName:
    case effGetParamLabel:
    case effGetParamDisplay: return "parameters";
    case effGetProgramName:
    case effGetProgramNameIndexed: return "state";
    default: return "lifecycle";
    }
}

bool reportsTextFaults(const Check& check, VstInt32 opcode) {
    return !check.test || std::strcmp(check.test, textOwner(opcode)) == 0;
}

}  // namespace

std::string Instance::checkedText(VstInt32 opcode, VstInt32 index, std::size_t chars) {
    GuardedText t = text(opcode, index, chars);
    if (!t.fault.empty() && reportsTextFaults(check_, opcode)) {
        const std::string kind = std::string("text-") + opcodeName(opcode);
        check_.fail(kind.c_str(), "%s for index %d %s", opcodeName(opcode), index, t.fault.c_str());
    }
    return t.text;
}

std::string Instance::programNameIndexed(int index, bool* given) {
    GuardedText t = text(effGetProgramNameIndexed, index, kVstMaxProgNameLen);
    if (!t.fault.empty() && reportsTextFaults(check_, effGetProgramNameIndexed))
        check_.fail("text-effGetProgramNameIndexed", "effGetProgramNameIndexed for program %d %s", index,
                    t.fault.c_str());
    if (given)
        *given = t.answer == 1;
    return t.text;
}

void Instance::setProgramName(const std::string& name) {
    // Exactly the nominal 24 bytes, as the interface declares the buffer.
    char buffer[kVstMaxProgNameLen] = {};
    std::strncpy(buffer, name.c_str(), sizeof buffer - 1);
    dispatch(effSetProgramName, 0, 0, buffer);
}

bool Instance::guardedStruct(VstInt32 opcode, VstInt32 index, void* out, std::size_t size, const char* what) {
    std::vector<unsigned char> buffer(size + kTextGuard, kGuardByte);
    std::memset(buffer.data(), 0, size);
    const bool given = dispatch(opcode, index, 0, buffer.data()) != 0;
    for (std::size_t i = 0; i < kTextGuard; ++i)
        if (buffer[size + i] != kGuardByte) {
            check_.fail((std::string("struct-") + opcodeName(opcode)).c_str(),
                        "%s for %s %d wrote past the %zu bytes of the structure", opcodeName(opcode), what, index,
                        size);
            break;
        }
    std::memcpy(out, buffer.data(), size);
    return given;
}

std::vector<std::uint8_t> Instance::chunk(bool program) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    if (static_cast<std::size_t>(size) > kMaxChunk) {
        check_.fail("chunk-size", "effGetChunk answered %lld bytes", static_cast<long long>(size));
        return {};
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

VstIntPtr Instance::setChunk(const std::vector<std::uint8_t>& data, bool program) {
    // Exactly the chunk's size on the heap: a plug-in reading past it is seen
    // by a sanitizer build.
    void* copy = std::malloc(data.empty() ? 1 : data.size());
    if (!copy)
        return 0;
    if (!data.empty())
        std::memcpy(copy, data.data(), data.size());
    const VstIntPtr answer = dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(data.size()), copy);
    std::free(copy);
    return answer;
}

}  // namespace kx::validate
