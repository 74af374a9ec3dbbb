#include "engine/oscillator.h"

#include <cmath>

namespace kx {

Oscillator::Oscillator() : tables_(&WaveTableSet::instance())
{
    gain.sampleRate = 44100.0;
    gain.target = 1.0;
    gain.value = 1.0;
    gain.step = 1.0 / (44100.0 * 0.002);
    gain.reached = true;
}

void Oscillator::updateMultiplier() noexcept
{
    multiplier = std::pow(2.0, detuneCents * kInvCentsPerOctave) * partial;
}

void Oscillator::startNote(double frequency) noexcept
{
    envelope.trigger(attackTime); // legato when already rising or holding
    targetFreq = frequency;
    const double glideSamples = sampleRate * portaTime;
    if (hasPlayed && glideSamples >= 1.0) {
        // Glides from wherever the previous glide stands.
        glideRatio = std::pow(frequency / currentFreq, 1.0 / glideSamples);
    } else {
        currentFreq = frequency;
        glideRatio = 1.0;
    }
    hasPlayed = true;
}

void Oscillator::resetForSampleRate(double rate) noexcept
{
    sampleRate = rate;
    envelope.sampleRate = rate;
    gain.sampleRate = rate;
    gain.step = std::fabs(1.0 / (rate * 0.002));
    gain.target = 1.0;
    gain.value = 1.0;
    gain.reached = true;
    cachedFreq_ = std::numeric_limits<double>::quiet_NaN(); // the phase step depends on the rate
}

double Oscillator::gainCurve(double f) noexcept
{
    if (f < 10.0)
        return 0.0;
    if (f < 30.0) {
        const double x = (f - 10.0) * 0.05;
        return x * x;
    }
    if (f < 10000.0) {
        const double x = 1.0 - (f - 30.0) * 0.00010030090270812437 * 0.3;
        return x * x;
    }
    if (f < 17500.0) {
        const double x = 0.7 - (f - 10000.0) * 0.00013333333333333334 * 0.7;
        return x * x;
    }
    return 0.0;
}

void Oscillator::updateFrequencyCache(double f) noexcept
{
    cachedFreq_ = f;
    phaseStep_ = f * kTwoPi / sampleRate;
    gainTarget_ = gainCurve(f);
}

// Kinds of steady loop: the envelope holds (a waveform) or rests (silence).
namespace {
enum SteadyKind { kSteadySine, kSteadyTable, kSteadyOther, kSteadyIdle };
}

template <int Kind>
void Oscillator::renderSteady(const double* noise, double* out, int count, double f) noexcept
{
    // Per sample this is exactly step(): the envelope, glide, frequency
    // cache and loudness smoothing would all leave their values unchanged.
    double ph = phase;
    const double phaseStep = phaseStep_;
    const double noiseScale = noiseGain;
    const double amplitude = gain.value * levelGain * envelope.value;
    const int table = tableOfWave();
    const int level = level_;
    const double fraction = levelFraction_;
    const bool moves = f > 0.0;
    for (int i = 0; i < count; ++i) {
        double w = 0.0;
        if (moves) {
            advancePhase(ph, phaseStep);
            if constexpr (Kind == kSteadySine)
                w = sinePoly(ph - kPi);
            else if constexpr (Kind == kSteadyTable)
                w = tables_->readAtLevel(table, ph, level, fraction);
        }
        out[i] = (noise[i] * noiseScale + w) * amplitude;
    }
    phase = ph;
    output = out[count - 1];
}

void Oscillator::render(const double* noise, double* out, int count) noexcept
{
    if (count <= 0)
        return;
    const double f = bendFactor * multiplier * currentFreq;
    const bool holding = envelope.state == EnvelopeState::Sustain;
    const bool steady = (holding || envelope.isIdle()) && glideRatio == 1.0 && f == cachedFreq_ &&
                        gain.reached && gain.target == gainTarget_;
    if (!steady) {
        for (int i = 0; i < count; ++i) {
            step(noise[i]);
            out[i] = output;
        }
        return;
    }
    if (!holding) {
        renderSteady<kSteadyIdle>(noise, out, count, f);
    } else if (wave == Sine) {
        renderSteady<kSteadySine>(noise, out, count, f);
    } else if (wave == Triangle || wave == Square || wave == Sawtooth) {
        if (f > 0.0 && f != levelFreq_)
            updateLevelCache(f);
        renderSteady<kSteadyTable>(noise, out, count, f);
    } else {
        renderSteady<kSteadyOther>(noise, out, count, f);
    }
}

void Oscillator::updateLevelCache(double f) noexcept
{
    levelFreq_ = f;
    WaveTableSet::splitLevel(WaveTableSet::levelPosition(f), level_, levelFraction_);
}

} // namespace kx
