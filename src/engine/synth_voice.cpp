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

void SynthVoice::resetForSampleRate(double rate) noexcept
{
    sampleRate = rate;
    osc1.resetForSampleRate(rate);
    osc2.resetForSampleRate(rate);
    osc3.resetForSampleRate(rate);
    lfo.reset(rate);
}

} // namespace kx
