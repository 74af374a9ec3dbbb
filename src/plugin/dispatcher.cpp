// Every request the host sends through the dispatcher, in one switch ordered
// by opcode. Each case checks the pointers and sizes it uses before handing
// the request to a virtual operation; indices go on as the host sent them,
// and each operation checks its own against the list it reads (a product may
// hold more parameters than the record announces).
#include "plugin/audio_effect_x.h"

#include "params/number_text.h"
#include "plugin/text_limits.h"

#include <cmath>
#include <type_traits>

namespace kx {

namespace {

// Runs a text operation on a zeroed scratch buffer and hands the host at most
// `maxChars` characters and the terminator of what it wrote. An operation
// that answers false gave no text: the host gets the empty text.
template <class Write>
bool passText(void* ptr, int maxChars, Write write) {
    char scratch[kTextScratchSize] = {};
    bool given = true;
    if constexpr (std::is_void_v<decltype(write(scratch))>)
        write(scratch);
    else
        given = write(scratch);
    scratch[kTextScratchSize - 1] = '\0';
    copyText(static_cast<char*>(ptr), given ? scratch : "", maxChars);
    return given;
}

}  // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
    case effOpen: open(); return 0;
    case effClose:
        // The static dispatcher destroys the effect after this answer.
        close();
        return 0;
    case effSetProgram:
        // The number comes in value, not index. A value that no 32-bit
        // number holds names no program, as -1 does.
        if (value < numPrograms)
            setProgram(static_cast<VstInt32>(value < -1 ? -1 : value));
        return 0;
    case effGetProgram: return getProgram();
    case effSetProgramName:
        // The host's text need not be terminated within the name's length.
        if (ptr) {
            char name[kTextScratchSize] = {};
            copyText(name, static_cast<const char*>(ptr), kProgramNameChars);
            setProgramName(name);
        }
        return 0;
    case effGetProgramName:
        if (ptr)
            passText(ptr, kProgramNameChars, [&](char* t) { getProgramName(t); });
        return 0;
    case effGetParamLabel:
        if (ptr)
            passText(ptr, kParamLabelChars, [&](char* t) { getParameterLabel(index, t); });
        return 0;
    case effGetParamDisplay:
        if (ptr)
            passText(ptr, kParamDisplayChars, [&](char* t) { getParameterDisplay(index, t); });
        return 0;
    case effGetParamName:
        if (ptr)
            passText(ptr, kParamNameChars, [&](char* t) { getParameterName(index, t); });
        return 0;
    case effSetSampleRate:
        // A rate that is not a positive finite number would poison every
        // time constant of the engine: ignore it.
        if (std::isfinite(opt) && opt > 0.0f)
            setSampleRate(opt);
        return 0;
    case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
    case effMainsChanged:
        if (value)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect: return editor && ptr ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
        // Some hosts pass their Display in value, others 0: only ptr counts.
        return editor ? editor->open(ptr) : 0;
    case effEditClose:
        if (editor)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify:
        // Deprecated, but some hosts still ask.
        return kVstIdentifyAnswer;
    case effGetChunk: return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        // The data is the host's and lives for this call only; the size must
        // be one that the operation can take.
        if (!ptr || value <= 0 || value > 0x7FFFFFFF)
            return 0;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    case effProcessEvents:
        // A null list is a block without events: the operation empties its
        // queue all the same.
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated: return canParameterBeAutomated(index);
    case effString2Parameter:
        // A null text asks whether typed values are supported at all.
        return string2parameter(index, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed:
        // value is a category, -1 or 0 in the hosts that still send one.
        return ptr ? passText(ptr, kProgramNameChars,
                              [&](char* t) { return getProgramNameIndexed(static_cast<VstInt32>(value), index, t); })
                   : 0;
    case effGetInputProperties: return ptr ? getInputProperties(index, static_cast<VstPinProperties*>(ptr)) : 0;
    case effGetOutputProperties: return ptr ? getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) : 0;
    case effGetPlugCategory: return getPlugCategory();
    case effSetSpeakerArrangement: {
        // The input arrangement comes as a pointer in value.
        auto* inputs = reinterpret_cast<VstSpeakerArrangement*>(value);
        auto* outputs = static_cast<VstSpeakerArrangement*>(ptr);
        return inputs && outputs ? setSpeakerArrangement(inputs, outputs) : 0;
    }
    case effSetBypass: return setBypass(value != 0);
    case effGetEffectName: return ptr ? passText(ptr, kEffectNameChars, [&](char* t) { return getEffectName(t); }) : 0;
    case effGetVendorString:
        return ptr ? passText(ptr, kVendorTextChars, [&](char* t) { return getVendorString(t); }) : 0;
    case effGetProductString:
        return ptr ? passText(ptr, kProductTextChars, [&](char* t) { return getProductString(t); }) : 0;
    case effGetVendorVersion: return getVendorVersion();
    case effCanDo: return ptr ? canDo(static_cast<const char*>(ptr)) : 0;
    case effGetVstVersion: return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (!editor)
            return 0;
        VstKeyCode key = {};
        key.character = index;
        key.virt = static_cast<unsigned char>(value);
        // The modifiers arrive as a float; one outside a byte (or not a
        // number) cannot be converted and means no modifier.
        key.modifier = opt >= 0.0f && opt < 256.0f ? static_cast<unsigned char>(opt) : 0;
        return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
    }
    case effSetEditKnobMode: return editor ? editor->setKnobMode(static_cast<VstInt32>(value)) : 0;
    case effGetSpeakerArrangement: {
        // Both out-pointers come in, the inputs' as a pointer in value.
        auto** inputs = reinterpret_cast<VstSpeakerArrangement**>(value);
        auto** outputs = static_cast<VstSpeakerArrangement**>(ptr);
        return inputs && outputs ? getSpeakerArrangement(inputs, outputs) : 0;
    }
    case effSetTotalSampleToProcess: return value;
    // Answered with 0 / false: offline processing, variable I/O,
    // vendor-specific requests, tail size, parameter properties, MIDI program
    // names, program-change brackets, shell plug-ins, start/stop, pan law,
    // patch loading, process precision, MIDI channel counts; and every
    // request this layer does not know, the deprecated ones among them.
    default: return 0;
    }
}

}  // namespace kx
