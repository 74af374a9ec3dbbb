// ClapInstance: one CLAP plug-in object over the effect the VST 2.4 entry
// creates. Each CLAP call is translated into the effect's own requests
// (dispatcher opcodes, setParameter, the processing callbacks), and the
// effect's host callback is answered from what the CLAP host gave; nothing
// of the instrument's behaviour lives here.
#pragma once

#include "formats/clap/clap_abi.h"
#include "formats/clap/clap_output_queue.h"
#include "plugin/vst_abi.h"

#include <atomic>
#include <memory>
#include <thread>

namespace kx {
class KEffect;
class KParam;
}  // namespace kx

namespace kx::clap {

class ClapGui;

class ClapInstance {
public:
    // `functions`: the plug-in table to answer with (its plugin_data is set here).
    ClapInstance(const clap_host* host, const clap_plugin& functions);
    ~ClapInstance();
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    // Makes the effect; false when it could not be made. Calls no host function.
    bool create();
    const clap_plugin* plugin() const { return &plugin_; }
    static ClapInstance* from(const clap_plugin* plugin) {
        return plugin ? static_cast<ClapInstance*>(plugin->plugin_data) : nullptr;
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;
    AEffect* effect() const { return effect_; }
    KEffect* kEffect() const { return kEffect_; }
    const clap_host* host() const { return host_; }
    // Host extension tables fetched in init (null when the host has none).
    const void* hostExtension(const char* id) const;
    const clap_host_params* hostParams() const { return hostParams_; }
    ClapGui* gui() const { return gui_.get(); }

    // ---- Plug-in calls --------------------------------------------------------
    bool init();
    bool activate(double sampleRate, uint32_t maxFrames);
    void deactivate();
    bool startProcessing();
    void stopProcessing();
    void reset();
    int32_t process(const clap_process* process);
    // Applies parameter events and hands out the queued reports without rendering.
    void flush(const clap_input_events* in, const clap_output_events* out);
    bool setRenderMode(int32_t mode);

    // Sets a parameter from a plain value (params mapping); the effect's own request.
    void setPlainValue(clap_id id, double plain);

private:
    static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    // An editor report: pushed straight out while events are being handed
    // over, else queued for the next process or flush.
    void report(OutputReport::Kind kind, VstInt32 index, float normalised);
    void pushReports(const clap_output_events* out);
    void pushReport(const clap_output_events* out, const OutputReport& report);
    // One event from the host's list: a note or MIDI message goes into the
    // block's list at `offset`, a parameter value is applied.
    void takeEvent(const clap_event_header* event, VstInt32 offset);
    void addMidi(VstInt32 offset, int status, int data1, int data2);
    void readTransport(const clap_event_transport* transport, int64_t steadyTime);
    void advanceTime(uint32_t frames);
    void render(const clap_audio_buffer* output, uint32_t start, uint32_t frames);

    clap_plugin plugin_{};
    const clap_host* host_;
    const clap_host_params* hostParams_ = nullptr;
    AEffect* effect_ = nullptr;
    KEffect* kEffect_ = nullptr;
    std::unique_ptr<ClapGui> gui_;

    double sampleRate_ = 44100.0;
    uint32_t maxFrames_ = 1024;
    bool active_ = false;
    bool offline_ = false;
    // The thread inside process or flush, while it is there; only that
    // thread touches liveOut_, where its own reports go out at once.
    std::atomic<std::thread::id> audioThread_{};
    const clap_output_events* liveOut_ = nullptr;
    bool onAudioThread() const { return audioThread_.load(std::memory_order_acquire) == std::this_thread::get_id(); }
    void enterAudio(const clap_output_events* out);
    void leaveAudio();

    VstTimeInfo time_{};
    bool hasTransport_ = false;

    // One block's MIDI events as the effect takes them: the list header and
    // as many pointers as the effect's queue holds.
    static constexpr int kMaxEvents = 512;
    struct EventList {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[kMaxEvents];
    };
    EventList list_{};
    VstMidiEvent midi_[kMaxEvents]{};

    OutputQueue reports_;
};

}  // namespace kx::clap
