// The VST 2.4 binary interface, declared from its published facts: plain C
// records and constants with the conventional spellings. Shared by the
// plug-in and by the command-line host, so it depends on nothing else.
// Only 64-bit layouts (LP64 and LLP64) are covered; the asserts below hold
// on both.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef int32_t VstInt32;
typedef intptr_t VstIntPtr;

#define VST_FOURCC(a, b, c, d) \
    ((VstInt32)(((uint32_t)(a) << 24) | ((uint32_t)(b) << 16) | ((uint32_t)(c) << 8) | (uint32_t)(d)))

struct AEffect;

typedef VstIntPtr (*audioMasterCallback)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                         float opt);
typedef VstIntPtr (*AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                           float opt);
typedef void (*AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);
typedef void (*AEffectProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs, VstInt32 sampleFrames);
typedef void (*AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float parameter);
typedef float (*AEffectGetParameterProc)(AEffect* effect, VstInt32 index);
typedef AEffect* (*VstPluginMainProc)(audioMasterCallback host);

enum {
    kEffectMagic = VST_FOURCC('V', 's', 't', 'P'),
    kVstIdentifyAnswer = VST_FOURCC('N', 'v', 'E', 'f'),
    kVstVersion = 2400,
};

struct AEffect {
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;  // deprecated accumulating variant
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object;
    void* user;
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

// AEffect.flags
enum {
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1,
    effFlagsHasVu = 1 << 2,
    effFlagsCanMono = 1 << 3,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsExtIsAsync = 1 << 10,
    effFlagsExtHasBuffer = 1 << 11,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Dispatcher opcodes (host -> plug-in).
enum {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effGetVu = 9,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditDraw = 16,
    effEditMouse = 17,
    effEditKey = 18,
    effEditIdle = 19,
    effEditTop = 20,
    effEditSleep = 21,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetNumProgramCategories = 28,
    effGetProgramNameIndexed = 29,
    effCopyProgram = 30,
    effConnectInput = 31,
    effConnectOutput = 32,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,
    effGetDestinationBuffer = 37,
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetErrorText = 46,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effIdle = 53,
    effGetIcon = 54,
    effSetViewPosition = 55,
    effGetParameterProperties = 56,
    effKeysRequired = 57,
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

// Host callback opcodes (plug-in -> host).
enum {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4,
    audioMasterWantMidi = 6,
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterSetTime = 9,
    audioMasterTempoAt = 10,
    audioMasterGetNumAutomatableParameters = 11,
    audioMasterGetParameterQuantization = 12,
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
};

// String limits (nominal buffer sizes).
enum {
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32,
    kVstMaxNameLen = 64,
    kVstMaxLabelLen = 64,
    kVstMaxShortLabelLen = 8,
    kVstMaxCategLabelLen = 24,
    kVstMaxFileNameLen = 100,
};

enum VstPlugCategory {
    kPlugCategUnknown = 0,
    kPlugCategEffect,
    kPlugCategSynth,
    kPlugCategAnalysis,
    kPlugCategMastering,
    kPlugCategSpacializer,
    kPlugCategRoomFx,
    kPlugSurroundFx,
    kPlugCategRestoration,
    kPlugCategOfflineProcess,
    kPlugCategShell,
    kPlugCategGenerator,
    kPlugCategMaxCount,
};

// ---- Events ----------------------------------------------------------------

enum {
    kVstMidiType = 1,
    kVstSysExType = 6,
    kVstMidiEventIsRealtime = 1,
};

struct VstEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstMidiEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstMidiSysexEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};

// Declared with two entries; a real list holds numEvents pointers
// (allocate 16 + 8 * n bytes).
struct VstEvents {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];
};

// ---- Time ------------------------------------------------------------------

struct VstTimeInfo {
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};

enum {
    kVstTransportChanged = 1,
    kVstTransportPlaying = 1 << 1,
    kVstTransportCycleActive = 1 << 2,
    kVstTransportRecording = 1 << 3,
    kVstAutomationWriting = 1 << 6,
    kVstAutomationReading = 1 << 7,
    kVstNanosValid = 1 << 8,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12,
    kVstTimeSigValid = 1 << 13,
    kVstSmpteValid = 1 << 14,
    kVstClockValid = 1 << 15,
};

// ---- Editor, pins, parameters ----------------------------------------------

struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

enum {
    kVstPinIsActive = 1,
    kVstPinIsStereo = 1 << 1,
    kVstPinUseSpeaker = 1 << 2,
};

struct VstPinProperties {
    char label[kVstMaxLabelLen];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
};

struct VstParameterProperties {
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;
    char label[kVstMaxLabelLen];
    VstInt32 flags;
    VstInt32 minInteger;
    VstInt32 maxInteger;
    VstInt32 stepInteger;
    VstInt32 largeStepInteger;
    char shortLabel[kVstMaxShortLabelLen];
    int16_t displayIndex;
    int16_t category;
    int16_t numParametersInCategory;
    int16_t reserved;
    char categoryLabel[kVstMaxCategLabelLen];
    char future[16];
};

struct VstKeyCode {
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};

enum {
    MODIFIER_SHIFT = 1,
    MODIFIER_ALTERNATE = 1 << 1,
    MODIFIER_COMMAND = 1 << 2,
    MODIFIER_CONTROL = 1 << 3,
};

enum VstVirtualKey {
    VKEY_BACK = 1,
    VKEY_TAB,
    VKEY_CLEAR,
    VKEY_RETURN,
    VKEY_PAUSE,
    VKEY_ESCAPE,
    VKEY_SPACE,
    VKEY_NEXT,
    VKEY_END,
    VKEY_HOME,
    VKEY_LEFT,
    VKEY_UP,
    VKEY_RIGHT,
    VKEY_DOWN,
    VKEY_PAGEUP,
    VKEY_PAGEDOWN,
    VKEY_SELECT,
    VKEY_PRINT,
    VKEY_ENTER,
    VKEY_SNAPSHOT,
    VKEY_INSERT,
    VKEY_DELETE,
    VKEY_HELP,
    VKEY_NUMPAD0,
    VKEY_NUMPAD1,
    VKEY_NUMPAD2,
    VKEY_NUMPAD3,
    VKEY_NUMPAD4,
    VKEY_NUMPAD5,
    VKEY_NUMPAD6,
    VKEY_NUMPAD7,
    VKEY_NUMPAD8,
    VKEY_NUMPAD9,
    VKEY_MULTIPLY,
    VKEY_ADD,
    VKEY_SEPARATOR,
    VKEY_SUBTRACT,
    VKEY_DECIMAL,
    VKEY_DIVIDE,
    VKEY_F1,
    VKEY_F2,
    VKEY_F3,
    VKEY_F4,
    VKEY_F5,
    VKEY_F6,
    VKEY_F7,
    VKEY_F8,
    VKEY_F9,
    VKEY_F10,
    VKEY_F11,
    VKEY_F12,
    VKEY_NUMLOCK,
    VKEY_SCROLL,
    VKEY_SHIFT,
    VKEY_CONTROL,
    VKEY_ALT,
    VKEY_EQUALS,
};

// ---- Speakers --------------------------------------------------------------

struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[kVstMaxNameLen];
    VstInt32 type;
    char future[28];
};

// Declared with eight speakers; a real arrangement may hold numChannels of
// them (allocate 8 + 112 * n bytes).
struct VstSpeakerArrangement {
    VstInt32 type;
    VstInt32 numChannels;
    VstSpeakerProperties speakers[8];
};

enum {
    kSpeakerArrUserDefined = -2,
    kSpeakerArrEmpty = -1,
    kSpeakerArrMono = 0,
    kSpeakerArrStereo = 1,
};

enum {
    kSpeakerM = 0,
    kSpeakerL = 1,
    kSpeakerR = 2,
    kSpeakerUndefined = 0x7FFFFFFF,
};

// ---- Preset loading --------------------------------------------------------

struct VstPatchChunkInfo {
    VstInt32 version;
    VstInt32 pluginUniqueID;
    VstInt32 pluginVersion;
    VstInt32 numElements;
    char future[48];
};

// ---- Layout checks ---------------------------------------------------------

#ifdef __cplusplus
#define KX_ABI_ASSERT(cond) static_assert(cond, #cond)
#else
#define KX_ABI_ASSERT(cond) _Static_assert(cond, #cond)
#endif

KX_ABI_ASSERT(sizeof(VstIntPtr) == 8);
KX_ABI_ASSERT(sizeof(AEffect) == 192);
KX_ABI_ASSERT(offsetof(AEffect, dispatcher) == 8);
KX_ABI_ASSERT(offsetof(AEffect, process) == 16);
KX_ABI_ASSERT(offsetof(AEffect, setParameter) == 24);
KX_ABI_ASSERT(offsetof(AEffect, getParameter) == 32);
KX_ABI_ASSERT(offsetof(AEffect, numPrograms) == 40);
KX_ABI_ASSERT(offsetof(AEffect, numParams) == 44);
KX_ABI_ASSERT(offsetof(AEffect, numInputs) == 48);
KX_ABI_ASSERT(offsetof(AEffect, numOutputs) == 52);
KX_ABI_ASSERT(offsetof(AEffect, flags) == 56);
KX_ABI_ASSERT(offsetof(AEffect, resvd1) == 64);
KX_ABI_ASSERT(offsetof(AEffect, resvd2) == 72);
KX_ABI_ASSERT(offsetof(AEffect, initialDelay) == 80);
KX_ABI_ASSERT(offsetof(AEffect, ioRatio) == 92);
KX_ABI_ASSERT(offsetof(AEffect, object) == 96);
KX_ABI_ASSERT(offsetof(AEffect, user) == 104);
KX_ABI_ASSERT(offsetof(AEffect, uniqueID) == 112);
KX_ABI_ASSERT(offsetof(AEffect, version) == 116);
KX_ABI_ASSERT(offsetof(AEffect, processReplacing) == 120);
KX_ABI_ASSERT(offsetof(AEffect, processDoubleReplacing) == 128);
KX_ABI_ASSERT(offsetof(AEffect, future) == 136);

KX_ABI_ASSERT(sizeof(VstEvent) == 32);
KX_ABI_ASSERT(sizeof(VstMidiEvent) == 32);
KX_ABI_ASSERT(offsetof(VstMidiEvent, deltaFrames) == 8);
KX_ABI_ASSERT(offsetof(VstMidiEvent, midiData) == 24);
KX_ABI_ASSERT(offsetof(VstMidiEvent, detune) == 28);
KX_ABI_ASSERT(offsetof(VstMidiEvent, noteOffVelocity) == 29);
KX_ABI_ASSERT(sizeof(VstMidiSysexEvent) == 48);
KX_ABI_ASSERT(offsetof(VstMidiSysexEvent, resvd1) == 24);
KX_ABI_ASSERT(offsetof(VstMidiSysexEvent, sysexDump) == 32);
KX_ABI_ASSERT(offsetof(VstEvents, reserved) == 8);
KX_ABI_ASSERT(offsetof(VstEvents, events) == 16);

KX_ABI_ASSERT(sizeof(VstTimeInfo) == 88);
KX_ABI_ASSERT(offsetof(VstTimeInfo, ppqPos) == 24);
KX_ABI_ASSERT(offsetof(VstTimeInfo, tempo) == 32);
KX_ABI_ASSERT(offsetof(VstTimeInfo, barStartPos) == 40);
KX_ABI_ASSERT(offsetof(VstTimeInfo, timeSigNumerator) == 64);
KX_ABI_ASSERT(offsetof(VstTimeInfo, samplesToNextClock) == 80);
KX_ABI_ASSERT(offsetof(VstTimeInfo, flags) == 84);

KX_ABI_ASSERT(sizeof(ERect) == 8);
KX_ABI_ASSERT(sizeof(VstPinProperties) == 128);
KX_ABI_ASSERT(offsetof(VstPinProperties, flags) == 64);
KX_ABI_ASSERT(offsetof(VstPinProperties, arrangementType) == 68);
KX_ABI_ASSERT(offsetof(VstPinProperties, shortLabel) == 72);
KX_ABI_ASSERT(sizeof(VstParameterProperties) == 152);
KX_ABI_ASSERT(offsetof(VstParameterProperties, flags) == 76);
KX_ABI_ASSERT(offsetof(VstParameterProperties, shortLabel) == 96);
KX_ABI_ASSERT(offsetof(VstParameterProperties, categoryLabel) == 112);
KX_ABI_ASSERT(sizeof(VstKeyCode) == 8);

KX_ABI_ASSERT(sizeof(VstSpeakerProperties) == 112);
KX_ABI_ASSERT(offsetof(VstSpeakerProperties, name) == 16);
KX_ABI_ASSERT(offsetof(VstSpeakerProperties, type) == 80);
KX_ABI_ASSERT(offsetof(VstSpeakerArrangement, speakers) == 8);
KX_ABI_ASSERT(sizeof(VstSpeakerArrangement) == 904);
KX_ABI_ASSERT(sizeof(VstPatchChunkInfo) == 64);

#undef KX_ABI_ASSERT
