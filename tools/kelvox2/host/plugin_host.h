// PluginHost: a small VST 2.4 host. It loads one plug-in module, creates
// one effect through its entry point, answers the plug-in's host callback
// from settings the caller chooses, records the calls a test wants to see,
// and offers the dispatcher as typed operations.
//
// Single-threaded use: the caller drives processing and requests from one
// thread. Not copyable; the effect is closed and the module released on
// destruction.
#pragma once

#include "kelvox2/host/event_list.h"
#include "kelvox2/host/host_callback.h"
#include "kelvox2/host/plugin_instance.h"
#include "kelvox2/host/plugin_module.h"
#include "plugin/vst_abi.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kx {

// One host callback the plug-in made (of the kinds PluginHost records).
struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

class PluginHost : public PluginInstance, private HostAnswers {
public:
    PluginHost();
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Loads the module (RTLD_NOW | RTLD_LOCAL), finds VSTPluginMain or else
    // main, and creates the effect. A bare name is looked for in the VST
    // folders (locatePlugin). False with a message in `error`.
    bool load(const std::string& path, std::string* error);
    // Creates the effect through an entry point linked into this program
    // (no module to load), as load does with the module's.
    bool create(VstPluginMainProc entry, std::string* error);
    // Closes the effect (effClose) and releases the module.
    void unload();
    bool isLoaded() const { return effect_ != nullptr; }
    AEffect* effect() const { return effect_; }
    // The file loaded, as found.
    const std::string& path() const { return path_; }

    // ---- What the host callback answers -----------------------------------
    double hostSampleRate = 44100.0;
    VstInt32 hostBlockSize = 1024;
    VstInt32 hostVersion = 2400;               // audioMasterVersion; 0 plays a VST 1 host
    std::string hostVendor = "Kelvox2 tools";  // empty: the request writes nothing and answers 0
    std::string hostProduct = "kelvox2";
    VstInt32 processLevel = 0;  // audioMasterGetCurrentProcessLevel
    VstTimeInfo timeInfo{};     // handed out by audioMasterGetTime when enabled
    bool timeInfoEnabled = false;
    // A host with a resizable editor window: canDo "sizeWindow" answers 1 and
    // so does audioMasterSizeWindow; the caller resizes from the record.
    bool sizeWindowEnabled = false;

    // ---- Records of the plug-in's calls ------------------------------------
    // Automate, BeginEdit, EndEdit, WantMidi and SizeWindow calls, in order.
    const std::vector<HostCall>& recordedCalls() const { return calls_; }
    void clearRecordedCalls() { calls_.clear(); }
    int countCalls(VstInt32 opcode) const;
    // How often each opcode (0..63) reached the callback, recorded or not.
    int callCount(VstInt32 opcode) const { return opcode >= 0 && opcode < 64 ? counts_[opcode] : 0; }
    // The mask the last audioMasterGetTime asked for.
    VstIntPtr lastTimeMask() const { return lastTimeMask_; }

    // ---- Requests to the plug-in (all answer 0 / empty when nothing is loaded)
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;
    void open() const { dispatch(effOpen); }
    void setSampleRate(float rate) const { dispatch(effSetSampleRate, 0, 0, nullptr, rate); }
    void setBlockSize(VstInt32 frames) const { dispatch(effSetBlockSize, 0, frames); }
    void mainsChanged(bool on) const { dispatch(effMainsChanged, 0, on ? 1 : 0); }
    void startProcess() const { dispatch(effStartProcess); }
    void stopProcess() const { dispatch(effStopProcess); }
    VstIntPtr setProcessPrecision(bool doublePrecision) const {
        return dispatch(effSetProcessPrecision, 0, doublePrecision ? 1 : 0);
    }

    int numParams() const { return effect_ ? effect_->numParams : 0; }
    int numPrograms() const { return effect_ ? effect_->numPrograms : 0; }
    std::string paramName(int index) const { return text(effGetParamName, index); }
    std::string paramLabel(int index) const { return text(effGetParamLabel, index); }
    std::string paramDisplay(int index) const { return text(effGetParamDisplay, index); }
    float getParameter(int index) const;
    void setParameter(int index, float value) const;
    bool canBeAutomated(int index) const { return dispatch(effCanBeAutomated, index) != 0; }
    // effString2Parameter; true when the plug-in took the text.
    bool string2parameter(int index, const std::string& typed) const;

    VstIntPtr canDo(const char* what) const;
    std::string effectName() const { return text(effGetEffectName); }
    std::string vendorString() const { return text(effGetVendorString); }
    std::string productString() const { return text(effGetProductString); }
    VstIntPtr vendorVersion() const { return dispatch(effGetVendorVersion); }
    VstIntPtr vstVersion() const { return dispatch(effGetVstVersion); }
    VstIntPtr plugCategory() const { return dispatch(effGetPlugCategory); }
    bool inputProperties(int index, VstPinProperties* properties) const;
    bool outputProperties(int index, VstPinProperties* properties) const;

    VstIntPtr getProgram() const { return dispatch(effGetProgram); }
    void setProgram(VstIntPtr program) const { dispatch(effSetProgram, 0, program); }
    std::string programName() const { return text(effGetProgramName); }
    void setProgramName(const std::string& name) const;
    // effGetProgramNameIndexed; false (and `name` empty) when refused.
    bool programNameIndexed(int index, std::string* name) const;

    // A copy of effGetChunk's bytes (empty when the plug-in gives none).
    std::vector<uint8_t> getChunk(bool preset) const;
    VstIntPtr setChunk(const std::vector<uint8_t>& data, bool preset) const;
    VstIntPtr setChunk(const void* data, size_t size, bool preset) const;

    bool setSpeakerArrangement(VstSpeakerArrangement* inputs, VstSpeakerArrangement* outputs) const;
    bool getSpeakerArrangement(VstSpeakerArrangement** inputs, VstSpeakerArrangement** outputs) const;

    VstIntPtr processEvents(VstEvents* events) const { return dispatch(effProcessEvents, 0, 0, events); }
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) const;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) const;

    // ---- The sequencer's view (PluginInstance) ------------------------------
    int inputCount() const override { return effect_ && effect_->numInputs > 0 ? effect_->numInputs : 0; }
    int outputCount() const override { return effect_ && effect_->numOutputs > 0 ? effect_->numOutputs : 0; }
    const char* cannotProcess(bool doublePrecision) const override;
    // Sets hostSampleRate, hostBlockSize and timeInfo (enabled).
    void startProcessing(double sampleRate, int maxBlock, bool doublePrecision) override;
    void stopProcessing() override;
    void setTransport(const SongClock& clock, bool restarted) override;
    void sendEvents(const std::vector<BlockEvent>& events) override;
    void process(float** inputs, float** outputs, int frames) override { processReplacing(inputs, outputs, frames); }
    void process(double** inputs, double** outputs, int frames) override {
        processDoubleReplacing(inputs, outputs, frames);
    }

private:
    // The plain policy: answers from the settings above, records edits.
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    // A text request into a zeroed 256-byte buffer, cut at the first zero.
    std::string text(VstInt32 opcode, VstInt32 index = 0) const;
    bool createEffect(VstPluginMainProc entry, std::string* error);

    PluginModule module_;
    AEffect* effect_ = nullptr;
    std::string path_;
    std::vector<HostCall> calls_;
    int counts_[64] = {};
    VstIntPtr lastTimeMask_ = 0;
    EventList sequenced_;  // the sequencer's events of the current block
};

}  // namespace kx
