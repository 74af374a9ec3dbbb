#include "engine/synth_voice.h"

#include "engine/cpu_path.h"
#include "engine/exact_math.h"
#include "engine/voice_lanes.h"

#include <cmath>

namespace kx {

SynthVoice::SynthVoice(TableBuild build) noexcept : osc1(build), osc2(build), osc3(build), lfo(44100.0) {
    resetForSampleRate(44100.0);
}

double SynthVoice::noteFrequency(std::int32_t key) noexcept {
    return 440.0 * exact::exp2((key - 69) * kInvSemitonesPerOctave);
}

void SynthVoice::startNotes(double frequency) noexcept {
    osc1.startNote(frequency);
    osc2.startNote(frequency);
    osc3.startNote(frequency);
}

void SynthVoice::releaseEnvelopes() noexcept {
    osc1.envelope.release(osc1.releaseTime);
    osc2.envelope.release(osc2.releaseTime);
    osc3.envelope.release(osc3.releaseTime);
}

void SynthVoice::noteOn(std::int32_t key) noexcept {
    noteStack.push(key);
    startNotes(noteFrequency(key));
}

void SynthVoice::noteOff(std::int32_t key) noexcept {
    noteStack.remove(key);
    if (!noteStack.empty() && noteStack.top() != -1) {
        startNotes(noteFrequency(noteStack.top()));  // back to the latest key still held
    } else {
        releaseEnvelopes();
        portaResetCounter = 0;
    }
}

void SynthVoice::setPitchBend(std::int32_t value) noexcept {
    const double factor = exact::exp2(value * kInvBendHalfRange * bendRange * kInvSemitonesPerOctave);
    osc1.bendFactor = factor;
    osc2.bendFactor = factor;
    osc3.bendFactor = factor;
}

void SynthVoice::releaseAll() noexcept {
    noteStack.clear();
    releaseEnvelopes();
}

void SynthVoice::allNotesOff() noexcept {
    if (noteStack.empty())
        return;
    // The voice releases on the pitch it plays: the keys below the newest
    // are not visited on the way.
    noteStack.clear();
    releaseEnvelopes();
    portaResetCounter = 0;
}

void SynthVoice::allSoundOff() noexcept {
    allNotesOff();
    osc1.envelope.silence();
    osc2.envelope.silence();
    osc3.envelope.silence();
}

void SynthVoice::render(double* out, int count, DrawSource source) noexcept {
    for (int start = 0; start < count; start += kChunk)
        renderStretch(out + start, count - start < kChunk ? count - start : kChunk, source);
    if (count > 0)
        output = out[count - 1];
}

void SynthVoice::renderStretch(double* out, int n, DrawSource& source) noexcept {
    // The draws in tick order: three noises, the LFO's (when a Random shape
    // wraps), the offset. Nothing here depends on the oscillators, and
    // unless the LFO draws too they come in vector lanes.
    VoiceDraws draws;
    const int lfoDraws = lfo.drawsOver(n);
    RandomGenerator random = source.claim(static_cast<std::uint64_t>(n) * VoiceDraws::kPerSample + lfoDraws);
    double lfoPhase[kChunk];
    double lfoTarget[kChunk];
    if (lfoDraws == 0) {
        // The LFO's phase steps beside the oscillators'.
        draws.fill(random, n);
        Lfo::PhaseTracker lfoTracker = lfo.phaseTracker(lfoPhase);
        trackOscillators(n, &lfoTracker);
        lfo.keep(lfoTracker);
        lfo.shapeValues(lfoPhase, lfoTarget, n);
    } else {
        trackLfo(lfoTarget, n, draws, random, lfoDraws, source);
        trackOscillators(n, nullptr);
    }
    const double* lfoValue = smoothLfo(lfoTarget, n);
    countPortaResets(n);  // only glides of later notes depend on it

    double out1[kChunk], out2[kChunk], out3[kChunk];
    finishOscillators(draws, out1, out2, out3);
    mixStretch(out, n, draws.offset, out1, out2, out3, lfoValue);
}

KX_VECTOR_CLONES
void SynthVoice::mixStretch(double* out, int n, const double* offset, const double* o1, const double* o2,
                            const double* o3, const double* lfoValue) const noexcept {
    for (int i = 0; i < n; ++i)
        out[i] = mix(offset[i], o1[i], o2[i], o3[i], lfoValue[i]);
}

void SynthVoice::trackLfo(double* target, int n, VoiceDraws& draws, RandomGenerator& random, int lfoDraws,
                          DrawSource& source) noexcept {
    Lfo l = lfo;
    int lfoLeft = lfoDraws;
    for (int i = 0; i < n; ++i) {
        draws.noise1[i] = random.bipolar();
        draws.noise2[i] = random.bipolar();
        draws.noise3[i] = random.bipolar();
        if (l.advance()) {
            // Beyond the draws counted (only a shape changed on another
            // thread meanwhile), a value of its own.
            l.heldRandom = lfoLeft-- > 0 ? random.bipolar() : source.claim(1).bipolar();
        }
        target[i] = l.shapeValue(l.phase);
        draws.offset[i] = random.unipolar();
    }
    lfo = l;
}

KX_VECTOR_CLONES
const double* SynthVoice::smoothLfo(double* target, int n) noexcept {
    // While the smoothing keeps up (the shape moves by at most a step per
    // sample), each sample lands on its target: the output is the shape
    // itself.
    SlewLimiter& s = lfo.output;
    if (n <= 0)
        return target;
    if (s.keepsUp(target, n)) {
        s.settle(target[n - 1]);
        return target;
    }
    for (int i = 0; i < n; ++i) {
        s.tick(target[i]);
        target[i] = s.value;
    }
    return target;
}

void SynthVoice::trackOscillators(int n, Lfo::PhaseTracker* lfoPhase) noexcept {
    Oscillator* const oscillators[] = {&osc1, &osc2, &osc3};
    for (Oscillator* o : oscillators) {
        o->beginStretch(n);
        o->trackEnvelope();
    }
    const Oscillator* leaders[3] = {};
    if (osc2.sharesLoudnessWith(osc1))
        leaders[1] = &osc1;
    if (osc3.sharesLoudnessWith(osc1))
        leaders[2] = &osc1;
    else if (osc3.sharesLoudnessWith(osc2))
        leaders[2] = &osc2;
    if (osc1.pitchHolds() && osc2.pitchHolds() && osc3.pitchHolds()) {
        Oscillator::PhaseTracker phases[] = {osc1.phaseTracker(), osc2.phaseTracker(), osc3.phaseTracker()};
        VoiceLanes::trackPhases(phases, lfoPhase, n);
        osc1.keep(phases[0]);
        osc2.keep(phases[1]);
        osc3.keep(phases[2]);
    } else {
        // An oscillator whose pitch holds steps as well through the same
        // arithmetic, one frequency throughout.
        Oscillator::PitchTracker pitches[] = {osc1.pitchTracker(), osc2.pitchTracker(), osc3.pitchTracker()};
        VoiceLanes::trackPitches(pitches, lfoPhase, n);
        osc1.keep(pitches[0]);
        osc2.keep(pitches[1]);
        osc3.keep(pitches[2]);
    }
    // An oscillator in unison with an earlier one takes its loudness.
    for (int k = 0; k < 3; ++k)
        if (!leaders[k])
            oscillators[k]->followPitch();
    for (int k = 0; k < 3; ++k) {
        if (leaders[k])
            oscillators[k]->followLoudnessOf(*leaders[k]);
        else
            oscillators[k]->smoothGain();
    }
}

void SynthVoice::finishOscillators(const VoiceDraws& draws, double* out1, double* out2, double* out3) noexcept {
    // Oscillators in unison (the same wave at the same pitch and phase, as
    // without detune or partial) compute their waveform values once.
    const bool twoWithOne = osc2.playsInUnisonWith(osc1);
    const bool threeWithOne = osc3.playsInUnisonWith(osc1);
    const bool threeWithTwo = !twoWithOne && !threeWithOne && osc3.playsInUnisonWith(osc2);
    double wave1[kChunk], wave2[kChunk];
    const double* shared1 = nullptr;
    const double* shared2 = nullptr;
    if ((twoWithOne && osc2.needsWaveform()) || (threeWithOne && osc3.needsWaveform())) {
        osc1.waveform(wave1);
        shared1 = wave1;
    }
    if (threeWithTwo && osc3.needsWaveform()) {
        osc2.waveform(wave2);
        shared2 = wave2;
    }
    osc1.finishStretch(draws.noise1, out1, shared1);
    osc2.finishStretch(draws.noise2, out2, twoWithOne ? shared1 : shared2);
    osc3.finishStretch(draws.noise3, out3, threeWithOne ? shared1 : threeWithTwo ? shared2 : nullptr);
}

void SynthVoice::countPortaResets(int n) noexcept {
    if (noteStack.empty() && portaResetSamples > 0)
        for (int i = 0; i < n; ++i)
            countPortaReset();
}

void SynthVoice::resetForSampleRate(double rate) noexcept {
    sampleRate = rate;
    osc1.resetForSampleRate(rate);
    osc2.resetForSampleRate(rate);
    osc3.resetForSampleRate(rate);
    lfo.reset(rate);
}

}  // namespace kx
