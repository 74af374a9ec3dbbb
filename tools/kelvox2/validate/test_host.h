// The battery's host: loads a plug-in module, creates effects through its
// entry point, answers their callback the way a full-featured host does, and
// checks every answer and every block they give back. test_host.cpp holds
// the lifecycle, processing and callback; instance_requests.cpp the guarded
// requests (texts, structures, chunks).
//
// Thread use: an Instance is processed on one thread at a time (its audio
// thread) while parameters, texts and the editor may be used from others, as
// hosts do. The callback is safe from any thread.
#pragma once

#include "kelvox2/host/event_list.h"
#include "kelvox2/host/host_callback.h"
#include "kelvox2/host/plugin_module.h"
#include "kelvox2/validate/battery.h"
#include "plugin/vst_abi.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kx::validate {

class Module {
public:
    Module() = default;
    ~Module() { unload(); }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    bool load(const std::string& path, std::string* error);
    // A plug-in linked into this program (the battery's own tests).
    void useEntry(VstPluginMainProc entry) {
        unload();
        entry_ = entry;
    }
    void unload();
    bool loaded() const { return entry_ != nullptr; }
    VstPluginMainProc entry() const { return entry_; }

private:
    PluginModule module_;
    VstPluginMainProc entry_ = nullptr;
};

// What an effect's callback did; counters only, safe from any thread.
struct HostLog {
    std::atomic<int> automate{0};
    std::atomic<int> beginEdit{0};
    std::atomic<int> endEdit{0};
    std::atomic<int> idleRequests{0};
    std::atomic<int> sizeWindow{0};
    std::atomic<int> getTime{0};
    // Edits begun and not ended yet (negative: more ends than begins).
    std::atomic<int> openEdits{0};
};

// A text request's answer: the text up to its terminator, and what was wrong.
struct GuardedText {
    std::string text;
    std::string fault;     // empty when the text was terminated within its buffer
    VstIntPtr answer = 0;  // what the dispatcher returned
};

// Text requests have a nominal size N; the interface leaves open whether it
// counts the terminator, so a plug-in may write N characters and the
// terminator. The bytes after those are the guard.
constexpr std::size_t kTextGuard = 240;

class Instance : private HostAnswers {
public:
    Instance(Module& module, Check& check);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // The entry point and effOpen. False (with the reason reported) when no
    // usable effect came back.
    bool create();
    // effClose, when the effect is alive; the record is gone afterwards.
    void close();
    bool alive() const { return effect_ != nullptr; }
    AEffect* effect() const { return effect_; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);

    // Sample rate, block size and precision, then mains on and start.
    void start(double rate, int maxBlock, bool doublePrecision = false);
    // Stop and mains off.
    void stop();
    bool running() const { return running_; }
    double rate() const { return rate_; }
    int maxBlock() const { return maxBlock_; }
    // A rate change without stopping first (some hosts do).
    void changeRateWhileRunning(double rate);

    // ---- Audio thread ------------------------------------------------------
    // effProcessEvents with a fresh copy of the list, poisoned afterwards.
    void sendEvents(EventList& list);
    // One block: outputs filled with the marker, the plug-in called, every
    // sample and the guard checked. 64-bit only when the plug-in offers it.
    void process(int frames, bool doublePrecision = false);
    // The last block's samples as doubles (both paths), one vector per output.
    const std::vector<std::vector<double>>& lastBlock() const { return last_; }
    double lastPeak() const;
    int blocks() const { return blocks_; }
    // Heap calls seen inside processEvents and process calls.
    std::uint64_t heapCalls() const { return heapCalls_; }
    int blocksWithHeapCalls() const { return blocksWithHeapCalls_; }
    int firstBlockWithHeapCalls() const { return firstHeapBlock_; }
    // Thread CPU nanoseconds of the last process call.
    std::int64_t lastCpuNanoseconds() const { return lastCpuNs_; }
    // A quiet sine on every input (plug-ins with inputs); 0 gives silence.
    double inputLevel = 0.1;
    // Tempo of the host's transport; it runs from the first block on.
    double tempo = 120.0;
    bool hostTimeAvailable = true;

    // ---- Any thread -------------------------------------------------------
    void setParameter(int index, float value);
    float getParameter(int index);
    // A guarded request, its fault given back.
    GuardedText text(VstInt32 opcode, VstInt32 index, std::size_t chars, VstIntPtr value = 0);
    // The same, its fault reported to the check; the text up to its terminator.
    std::string checkedText(VstInt32 opcode, VstInt32 index, std::size_t chars);
    std::string paramName(int index) { return checkedText(effGetParamName, index, kVstMaxParamStrLen); }
    std::string paramLabel(int index) { return checkedText(effGetParamLabel, index, kVstMaxParamStrLen); }
    std::string paramDisplay(int index) { return checkedText(effGetParamDisplay, index, kVstMaxParamStrLen); }
    std::string programName() { return checkedText(effGetProgramName, 0, kVstMaxProgNameLen); }
    // `given`: the plug-in answered 1, saying it supports the request (it is
    // optional; 0 leaves the text meaningless).
    std::string programNameIndexed(int index, bool* given = nullptr);
    void setProgramName(const std::string& name);
    // A structure the plug-in fills (pin or parameter properties), guarded.
    bool guardedStruct(VstInt32 opcode, VstInt32 index, void* out, std::size_t size, const char* what);
    // effGetChunk; empty when none. A copy.
    std::vector<std::uint8_t> chunk(bool program);
    VstIntPtr setChunk(const std::vector<std::uint8_t>& data, bool program);

    HostLog log;
    Check& check() { return check_; }

    // The strict-checking policy: every call the plug-in makes is checked.
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

private:
    // The host's time record for the coming block.
    void advanceTransport();
    template <typename T>
    void runBlock(int frames);

    Module& module_;
    Check& check_;
    AEffect* effect_ = nullptr;
    bool running_ = false;
    double rate_ = 44100.0;
    int maxBlock_ = 512;
    int numInputs_ = 0;
    int numOutputs_ = 0;
    // Audio buffers: maxBlock + guard frames per channel.
    std::vector<std::vector<float>> inFloat_, outFloat_;
    std::vector<std::vector<double>> inDouble_, outDouble_;
    std::vector<float*> inFloatPtr_, outFloatPtr_;
    std::vector<double*> inDoublePtr_, outDoublePtr_;
    std::vector<std::vector<double>> last_;
    double inputPhase_ = 0.0;
    VstTimeInfo time_{};
    std::atomic<double> rateForCallback_{44100.0};
    std::atomic<int> blockForCallback_{512};
    int blocks_ = 0;
    std::uint64_t heapCalls_ = 0;
    int blocksWithHeapCalls_ = 0;
    int firstHeapBlock_ = -1;
    std::int64_t lastCpuNs_ = 0;
};

// A name for an opcode, for messages ("effGetParamDisplay").
const char* opcodeName(VstInt32 opcode);

}  // namespace kx::validate
