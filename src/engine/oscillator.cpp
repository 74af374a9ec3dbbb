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

void Oscillator::updateLevelCache(double f) noexcept
{
    levelFreq_ = f;
    WaveTableSet::splitLevel(WaveTableSet::levelPosition(f), level_, levelFraction_);
}

} // namespace kx
