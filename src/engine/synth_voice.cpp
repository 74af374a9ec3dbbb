#include "engine/synth_voice.h"

#include <cmath>

namespace kx {

SynthVoice::SynthVoice() noexcept : lfo(44100.0)
{
    resetForSampleRate(44100.0);
}

double SynthVoice::noteFrequency(std::int32_t key) noexcept
{
    return 440.0 * std::pow(2.0, (key - 69) * 0.08333333333333333);
}

void SynthVoice::startNotes(double frequency) noexcept
{
    osc1.startNote(frequency);
    osc2.startNote(frequency);
    osc3.startNote(frequency);
}

void SynthVoice::releaseEnvelopes() noexcept
{
    osc1.envelope.release(osc1.releaseTime);
    osc2.envelope.release(osc2.releaseTime);
    osc3.envelope.release(osc3.releaseTime);
}

void SynthVoice::noteOn(std::int32_t key) noexcept
{
    noteStack.push(key);
    startNotes(noteFrequency(key));
}

void SynthVoice::noteOff(std::int32_t key) noexcept
{
    noteStack.remove(key);
    if (!noteStack.empty() && noteStack.top() != -1) {
        startNotes(noteFrequency(noteStack.top())); // back to the latest key still held
    } else {
        releaseEnvelopes();
        portaResetCounter = 0;
    }
}

void SynthVoice::setPitchBend(std::int32_t value) noexcept
{
    const double factor = std::pow(2.0, value * 0.0001220703125 * bendRange * 0.08333333333333333);
    osc1.bendFactor = factor;
    osc2.bendFactor = factor;
    osc3.bendFactor = factor;
}

void SynthVoice::releaseAll() noexcept
{
    noteStack.clear();
    releaseEnvelopes();
}

void SynthVoice::render(double* out, int count, RandomGenerator& random) noexcept
{
    double noise1[kChunk], noise2[kChunk], noise3[kChunk], offset[kChunk], lfoValue[kChunk];
    double out1[kChunk], out2[kChunk], out3[kChunk];
    for (int start = 0; start < count; start += kChunk) {
        const int n = count - start < kChunk ? count - start : kChunk;
        // The draws in tick order: three noises, the LFO's (when a Random
        // shape wraps), the offset. Nothing here depends on the oscillators.
        for (int i = 0; i < n; ++i) {
            noise1[i] = random.bipolar();
            noise2[i] = random.bipolar();
            noise3[i] = random.bipolar();
            lfo.tick(random);
            lfoValue[i] = lfo.output.value;
            countPortaReset(); // only glides of later notes depend on it
            offset[i] = random.unipolar();
        }
        osc1.render(noise1, out1, n);
        osc2.render(noise2, out2, n);
        osc3.render(noise3, out3, n);
        for (int i = 0; i < n; ++i)
            out[start + i] = mix(offset[i], out1[i], out2[i], out3[i], lfoValue[i]);
    }
    if (count > 0)
        output = out[count - 1];
}

void SynthVoice::resetForSampleRate(double rate) noexcept
{
    sampleRate = rate;
    osc1.resetForSampleRate(rate);
    osc2.resetForSampleRate(rate);
    osc3.resetForSampleRate(rate);
    lfo.reset(rate);
}

} // namespace kx
