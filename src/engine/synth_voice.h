#pragma once

#include <cstdint>

#include "engine/lfo.h"
#include "engine/note_stack.h"
#include "engine/oscillator.h"
#include "engine/random.h"
#include "engine/voice_draws.h"

namespace kx {

// The whole sound engine of one instance: one monophonic voice of three
// oscillators playing the same key, a tremolo LFO, a stack of held keys with
// last-note priority, a portamento-reset timer, pitch bend and the main level.
//
// noteOn, noteOff, setPitchBend, tick, releaseAll and resetForSampleRate run
// on the audio thread (resetForSampleRate while processing is stopped). The
// parameter update writes the public fields from any thread without a lock.
class SynthVoice {
public:
    static constexpr double kAntiDenormal = 5e-6;
    static constexpr double kInvSemitonesPerOctave = 0.08333333333333333;  // 1/12
    static constexpr double kInvBendHalfRange = 0.0001220703125;           // 1/8192

    // The oscillators' tables are built now or by the owner later.
    explicit SynthVoice(TableBuild build = TableBuild::OnConstruction) noexcept;

    NoteStack noteStack;
    Oscillator osc1, osc2, osc3;  // osc1's partial is always 1
    double portaResetSeconds = 0.0;
    std::int32_t portaResetCounter = 0;  // samples with no key held
    std::int32_t portaResetSamples = 0;
    double output = 0.0;
    double mainGain = 0.0;
    Lfo lfo;
    double sampleRate = 44100.0;
    double bendRange = 0.0;  // semitones
    double lfoDepth = 0.0;   // 0..1

    // Equal temperament, key 69 = 440 Hz.
    static double noteFrequency(std::int32_t key) noexcept;

    void noteOn(std::int32_t key) noexcept;
    void noteOff(std::int32_t key) noexcept;
    // v = (MSB - 64) x 128 + LSB, -8192..8191. The factor uses the bend range
    // of the moment; a later range change waits for the next bend message.
    void setPitchBend(std::int32_t value) noexcept;
    // Empties the stack and releases the envelopes (engine reset).
    void releaseAll() noexcept;
    // A host's panic. All Notes Off releases as the note-off of every held
    // key would (nothing when none is held); All Sound Off also cuts the
    // sound at once, release tails included.
    void allNotesOff() noexcept;
    void allSoundOff() noexcept;
    void resetForSampleRate(double rate) noexcept;

    // Produces the next sample into output. All of the sample's draws come
    // from `random`, in the order osc1, osc2, osc3, LFO, offset.
    void tick(RandomGenerator& random) noexcept {
        osc1.tick(random);
        osc2.tick(random);
        osc3.tick(random);
        lfo.tick(random);
        countPortaReset();
        // A tiny offset keeps the signal path away from denormal numbers.
        const double u = random.unipolar();
        output = mix(u, osc1.output, osc2.output, osc3.output, lfo.output.value);
    }
    // The same with each draw taken from the process-wide generator.
    void tick() noexcept {
        osc1.tick();
        osc2.tick();
        osc3.tick();
        lfo.tick();
        countPortaReset();
        const double u = Random::unipolar();
        output = mix(u, osc1.output, osc2.output, osc3.output, lfo.output.value);
    }

    // `count` samples into out: exactly what `count` ticks would produce,
    // with the same draws in the same order, but each oscillator runs
    // through a stretch of samples on its own. A stretch claims all of its
    // draws at once from `source`. Call between events only.
    void render(double* out, int count, DrawSource source = DrawSource()) noexcept;
    void render(double* out, int count, RandomGenerator& random) noexcept { render(out, count, DrawSource(random)); }

private:
    static constexpr int kChunk = Oscillator::kMaxStretch;  // samples per stretch in render

    // The portamento-reset timer, one count per sample while no key is held.
    // A tick counts after the oscillators have stepped: only the glide of the
    // next note depends on it.
    void countPortaReset() noexcept {
        if (noteStack.empty() && portaResetSamples > 0) {
            portaResetCounter += 1;
            if (portaResetCounter > portaResetSamples) {
                portaResetCounter = 0;
                osc1.hasPlayed = false;
                osc2.hasPlayed = false;
                osc3.hasPlayed = false;
            }
        }
    }

    double mix(double u, double o1, double o2, double o3, double lfoValue) const noexcept {
        return (u * kAntiDenormal + ((o2 + o1) + o3)) * mainGain * ((lfoValue - 1.0) * (lfoDepth * 0.5) + 1.0);
    }

    // The steps of a stretch (see Oscillator's stretch rendering).
    void renderStretch(double* out, int count, DrawSource& source) noexcept;
    // The LFO sample by sample when its Random shape draws in the stretch,
    // with the noise and offset draws around its own; its shape values into
    // target.
    void trackLfo(double* target, int count, VoiceDraws& draws, RandomGenerator& random, int lfoDraws,
                  DrawSource& source) noexcept;
    // The LFO's smoothed output for each target, in place.
    const double* smoothLfo(double* target, int count) noexcept;
    // The oscillators' envelopes, glides, phases and loudness, and the LFO's
    // phase beside them when it is given.
    void trackOscillators(int count, Lfo::PhaseTracker* lfoPhase) noexcept;
    void finishOscillators(const VoiceDraws& draws, double* out1, double* out2, double* out3) noexcept;
    void countPortaResets(int count) noexcept;
    void mixStretch(double* out, int count, const double* offset, const double* o1, const double* o2, const double* o3,
                    const double* lfoValue) const noexcept;
    void startNotes(double frequency) noexcept;
    void releaseEnvelopes() noexcept;
};

}  // namespace kx
