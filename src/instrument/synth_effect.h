// SynthEffect: the instrument. It adds the parameter table, the commands,
// its identity and capabilities, the MIDI event queue and (in
// synth_processing.cpp) the sound engine to the framework's effect base.
#pragma once

#include "engine/synth_voice.h"
#include "instrument/event_queue.h"
#include "instrument/synth_param_index.h"
#include "plugin/effect.h"

namespace kx {

// Command numbers, as the skin's command controls fire them.
enum SynthCommand { kCmdAutoLevel = 0, kCmdRandom = 1, kCmdFullRandom = 2, kCmdPartRandom = 3 };

inline constexpr int kSynthProgramCount = 10;
inline constexpr VstInt32 kSynthUniqueId = VST_FOURCC('k', 'v', 'M', 't');
inline constexpr VstInt32 kSynthVendorVersion = 1200;

class SynthEffect : public KEffect {
public:
    explicit SynthEffect(audioMasterCallback audioMaster);
    ~SynthEffect() override;

    // Stores the rate, makes sure the event queue has its storage, empties
    // it, hands the rate to the engine and resets it. Not the audio thread.
    void setSampleRate(float rate) override;
    // Builds the process-wide wave tables the first time any instance is
    // resumed (not the audio thread), then resumes as the framework does.
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    // Audio thread: refills the event queue; 1.
    VstInt32 processEvents(VstEvents* events) override;
    VstInt32 getVendorVersion() override { return kSynthVendorVersion; }
    VstInt32 canDo(const char* text) override;
    VstPlugCategory getPlugCategory() override { return kPlugCategSynth; }

    const char* getEffectNameText() override { return "Kelvox2"; }
    const char* getVendorText() override { return "Tamlow"; }
    const char* getProductText() override { return "Kelvox2"; }
    const char* getPlugVersion() override { return "1.2"; }
    const char* getPlugBuild() override { return "1.2.4.4"; }
    const char* getBuildDate() override { return "13 May 2015"; }
    const char* getPlatform() override;

    void processMidiEvent(const VstMidiEvent* event) override;
    void executeCommand(int commandNumber, bool shift, bool control) override;
    void resetEngine() override;
    bool supportsIo(int inputs, int outputs) override { return inputs == 0 && outputs == 1; }
    void parametersChanged(int flag) override;

    const EventQueue& getEventQueue() const { return queue_; }
    const SynthVoice& getVoice() const { return voice_; }

private:
    void createParameters();  // synth_parameters.cpp
    void createCommands();    // synth_parameters.cpp
    // The engine's side of a sample-rate change (synth_processing.cpp).
    void engineSampleRateChanged(double rate);
    // The loop behind both audio callbacks (synth_processing.cpp).
    template <typename Sample>
    void renderBlock(Sample* output, VstInt32 sampleFrames);

    // Reading the current program (apply_parameters.cpp): the 0..1 value, and
    // the value in the parameter's unit.
    double storedValue(int index) const;
    double unitValue(int index) const;

    // Patch commands (patch_commands.cpp); user-interface thread.
    void runCommand(int commandNumber, bool shift);
    void autoLevel();
    void fullRandom();
    void partRandom();

    SynthVoice voice_{TableBuild::Later};
    EventQueue queue_;
};

}  // namespace kx
