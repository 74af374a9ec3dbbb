// An independent, deliberately plain model of the instrument's sound engine:
// the wave tables, envelope, oscillator, LFO and voice, written for
// sample-exact comparison. Everything is double precision, operations in the
// order the instrument defines them, random draws in the same order. The
// engine's own tests compare its parts with these, and the whole-instrument
// model (reference_model.h) is built on them, so an arithmetic change is made
// in the engine and here. Nothing here uses the engine's code.
//
// Single-threaded; one voice mirrors one instance's engine.
#pragma once

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

    // multiplier from detuneCents and partial.
    void updateMultiplier();
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
    void syncToHost(bool transportPlaying, double ppqPos, double tempo);
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

}  // namespace kx::ref
