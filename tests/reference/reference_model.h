// An independent, deliberately plain model of the instrument's sound engine
// and its parameter handling, written for sample-exact comparison with the
// built plug-in. Everything is double precision, operations in the order the
// instrument defines them, and random draws in the same order, so that a
// model and a freshly loaded plug-in fed the same host traffic produce the
// same samples.
//
// Single-threaded; one model mirrors one plug-in instance.
#pragma once

#include "plugin/vst_abi.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kx::ref {

// The multiply-with-carry generator, at its load-time seeds.
struct RefRandom {
    uint32_t z = 71;
    uint32_t w = 89;
    uint32_t next();
    double unipolar();
    double bipolar();
};

struct RefSlew {
    double sampleRate = 44100.0;
    double target = 1.0;
    double value = 1.0;
    double step = 0.0;
    bool reached = true;
    void advance(double newTarget);
};

enum RefWave { kRefSine = 0, kRefTriangle = 1, kRefSquare = 2, kRefSawtooth = 3 };

// The band-limited tables, built once per process on first use.
class RefWaveTables {
public:
    static constexpr int kLevels = 12;
    static constexpr int kSize = 2048;
    static const RefWaveTables& get();
    // wave: kRefTriangle, kRefSquare or kRefSawtooth.
    double sample(int wave, int level, int index) const;
    double readBandLimited(int wave, double phase, double freq) const;

private:
    RefWaveTables();
    double read(int wave, int level, double pos) const;
    std::vector<double> tables_[3];
};

double refGainCurve(double f);
double refSinePoly(double x);
double refNoteFrequency(int key);

struct RefEnvelope {
    enum State { kIdle = 0, kAttack = 1, kSustain = 2, kRelease = 3 };
    int state = kIdle;
    double value = 0;
    double progress = 0;
    double increment = 0;
    double span = 0;
    double sampleRate = 44100.0;
    void trigger(double attackTime);
    void release(double releaseTime);
    void tick();
};

struct RefOscillator {
    int wave = 0;
    double partial = 1;
    double detuneCents = 0;
    double attackTime = 0.01;
    double releaseTime = 0.01;
    double portaTime = 0;
    double noiseGain = 0;
    double levelGain = 0;
    double multiplier = 1;
    double phase = 0;
    double currentFreq = 0;
    double targetFreq = 0;
    double glideRatio = 1;
    RefEnvelope envelope;
    bool hasPlayed = false;
    double output = 0;
    RefSlew gain{44100.0, 1.0, 1.0, 1.0 / (0.002 * 44100.0), true};
    double sampleRate = 44100.0;
    double bendFactor = 1;

    void startNote(double freq);
    void tick(RefRandom& rng);
    void resetForSampleRate(double rate);
};

struct RefLfo {
    int shape = 0;
    double cyclesPerBar = 0;
    RefSlew output;
    double phase = 0;
    double phaseOffset = 0;
    double increment = 0;
    double heldRandom = 0;
    double sampleRate = 44100.0;

    void init(double rate, RefRandom& rng);
    void tick(RefRandom& rng);
    void syncToHost(const VstTimeInfo& info);
    double shapeValue(double p) const;
};

struct RefVoice {
    std::vector<int> noteStack;
    RefOscillator osc[3];
    double portaResetSeconds = 0;
    int32_t portaResetCounter = 0;
    int32_t portaResetSamples = 0;
    double output = 0;
    double mainGain = 0;
    RefLfo lfo;
    double sampleRate = 44100.0;
    double bendRange = 0;
    double lfoDepth = 0;

    explicit RefVoice(RefRandom& rng);
    void noteOn(int key);
    void noteOff(int key);
    void setPitchBend(int v);
    void tick(RefRandom& rng);
    void releaseAll();
    void resetForSampleRate(double rate, RefRandom& rng);

private:
    void removeKey(int key);
    void startAll(double freq);
    void releaseEnvelopes();
};

// The instrument's parameter table, mapping and defaults.
struct RefParamDef {
    enum Kind { kRange, kDb, kEnum } kind;
    double minimum;
    double maximum;
    int steps;       // range: grid intervals; enum: entry count
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
