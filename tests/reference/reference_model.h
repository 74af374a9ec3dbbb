// An independent, deliberately plain model of the whole instrument (its
// engine is reference_voice.h) with its parameter handling, written for
// sample-exact comparison with the built plug-in. Everything is double
// precision, operations in the order the instrument defines them, and random
// draws in the same order, so that a model and a freshly loaded plug-in fed
// the same host traffic produce the same samples.
//
// Single-threaded; one model mirrors one plug-in instance.
#pragma once

#include "plugin/vst_abi.h"
#include "reference_voice.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kx::ref {

// The instrument's parameter table, mapping and defaults.
struct RefParamDef {
    enum Kind { kRange, kDb, kEnum } kind;
    double minimum;
    double maximum;
    int steps;  // range: grid intervals; enum: entry count
    int decimals;
    double defaultStored;
};
constexpr int kRefParamCount = 30;
const RefParamDef& refParam(int index);
// The class's real value of a stored normalised value.
double refToReal(int index, double stored);
// The class's normalised value of a real value (clamped to 0..1).
double refToNormalised(int index, double real);

// The instrument: parameter bank (current program only matters to the
// engine, but all ten are kept), event queue, processing loop, commands.
class RefSynth {
public:
    // Construction as the entry point does it, with the host's sample rate
    // answer (positive answers are taken). Instances of one module share one
    // generator: pass the first instance's to model a second.
    explicit RefSynth(double hostSampleRate = 44100.0, RefRandom* shared = nullptr);
    RefSynth(const RefSynth&) = delete;
    RefSynth& operator=(const RefSynth&) = delete;

    // ---- Parameters -------------------------------------------------------
    // The host's setParameter. Not a number is refused: stored, it would
    // reach every time constant of the voice.
    void setParameter(int index, float value) {
        if (value == value)
            setParameterValue(index, static_cast<double>(value));
    }
    void setParameterValue(int index, double value);
    void setParameterReal(int index, double real);
    double stored(int index) const { return programs_[program_][index]; }
    double unitValue(int index) const { return refToReal(index, stored(index)); }
    void setProgram(int program);
    void parametersChanged();
    // Applies stored values clamped to 0..1 to the voice (the values stay
    // stored as they came). Off: values map through the classes unclamped.
    bool clampWhenApplying = false;

    // ---- Host state requests ------------------------------------------------
    void setSampleRate(float rate);
    void suspend() { resetEngine(); }
    void resume() { resetEngine(); }

    // ---- Audio ----------------------------------------------------------------
    void processEvents(const std::vector<VstMidiEvent>& events);
    // info: what the host answers to the time request (null for none). The
    // float loop is this one rounded to float sample by sample.
    void processDouble(double* out, int frames, const VstTimeInfo* info);

    // ---- Patch commands ---------------------------------------------------------
    void executeCommand(int command, bool shift, bool control);
    void autoLevel();
    void fullRandom();
    void partRandom();

    RefRandom& random() { return rng_; }
    RefVoice& voice() { return voice_; }
    const RefVoice& voice() const { return voice_; }
    double sampleRate() const { return sampleRate_; }

private:
    void processMidiEvent(const VstMidiEvent& event);
    void resetEngine();
    // What parametersChanged reads.
    double appliedStored(int index) const;
    double appliedUnit(int index) const { return refToReal(index, appliedStored(index)); }

    RefRandom ownRandom_;
    RefRandom& rng_;
    RefVoice voice_;
    double sampleRate_ = 44100.0;
    std::array<std::array<double, kRefParamCount>, 10> programs_{};
    int program_ = 0;
    std::vector<VstMidiEvent> queue_;
    size_t readPos_ = 0;
    int32_t sampleCounter_ = 0;
};

}  // namespace kx::ref
