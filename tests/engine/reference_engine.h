#pragma once

// A slow, literal twin of the engine for bit-for-bit comparison: every value
// is recomputed from scratch each sample (no caches), the tables are summed
// level by level, and the wrap rules are written out as stated. Only the
// random generator is shared, since both must draw the same sequence.

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/random.h"

namespace kx::ref {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

struct Tables {
    // [table][level][sample]; tables 0 triangle, 1 square, 2 sawtooth
    std::vector<double> data = std::vector<double>(3 * 12 * 2048, 0.0);

    double& at(int table, int level, int j) { return data[static_cast<std::size_t>((table * 12 + level) * 2048 + j)]; }
    double at(int table, int level, int j) const
    {
        return data[static_cast<std::size_t>((table * 12 + level) * 2048 + j)];
    }

    Tables()
    {
        for (int k = 1; k <= 512; ++k) {
            for (int j = 0; j < 2048; ++j) {
                const double s = std::sin(j * 6.283185307179586 * 0.00048828125 * k);
                const double saw = (1.0 / k) * 0.6366197723675814 * s;
                const double sq = (1.0 / k) * 1.2732395447351628 * s;
                const double sign = ((k - 1) / 2) % 2 == 0 ? 1.0 : -1.0;
                const double tri = (1.0 / (k * k)) * (sign * 0.8105694691387022) * s;
                for (int t = 0; t < 12; ++t) {
                    if (k > (1 << t))
                        continue;
                    at(2, t, j) += saw;
                    if (k % 2 == 1) {
                        at(1, t, j) += sq;
                        at(0, t, j) += tri;
                    }
                }
            }
        }
    }

    static const Tables& get()
    {
        static const Tables tables;
        return tables;
    }

    double read(int table, int level, double pos) const
    {
        const int n = static_cast<int>(pos);
        const double t = pos - n;
        int im1 = n - 1;
        if (im1 < 0)
            im1 += 2048;
        int i1 = n + 1;
        if (i1 >= 2048)
            i1 -= 2048;
        int i2 = n + 2;
        if (i2 >= 2048)
            i2 -= 2048;
        const double ym1 = at(table, level, im1), y0 = at(table, level, n), y1 = at(table, level, i1),
                     y2 = at(table, level, i2);
        const double c1 = (y1 - ym1) * 0.5;
        const double c3 = (y0 - y1) * 1.5 + (y2 - ym1) * 0.5;
        const double c2 = ym1 - y0 + c1 - c3;
        return ((c3 * t + c2) * t + c1) * t + y0;
    }

    double readBandLimited(int table, double phase, double f) const
    {
        const double L = std::log(20000 / f) * 1.4426950408889634;
        const double pos = phase * 2048 * 0.15915494309189535;
        if (L <= -1) // above 40 kHz: the fundamental's level alone
            return read(table, 0, pos);
        const int i = static_cast<int>(L);
        if (i >= 11)
            return read(table, 11, pos);
        const double a = read(table, i, pos);
        const double b = read(table, i + 1, pos);
        return a + (b - a) * (L - i);
    }
};

inline double sinePoly(double x)
{
    return -(x * (0.9990123569996505 +
                  x * x * (-0.16562123457123723 + x * x * (0.007956574006381783 + x * x * (-0.000145039006054745)))));
}

struct Slew {
    double target = 0, value = 0, step = 0;
    void tick(double t)
    {
        target = t;
        const double d = target - value;
        if (d > step)
            value += step;
        else if (d >= -step)
            value = target;
        else
            value -= step;
    }
};

struct Env {
    int state = 0;
    double value = 0, progress = 0, increment = 0, span = 0, sampleRate = 44100;
    void trigger(double a)
    {
        if (state == 1 || state == 2)
            return;
        progress = 0;
        state = 1;
        span = 1 - value;
        increment = 1 / (a * sampleRate);
    }
    void release(double r)
    {
        if (state == 3)
            return;
        progress = 0;
        state = 3;
        span = value;
        increment = 1 / (r * sampleRate);
    }
    void tick()
    {
        if (state == 1) {
            progress = progress + increment;
            value = value + 2 * progress * span * increment;
            if (progress >= 1) {
                state = 2;
                value = 1;
                span = increment = progress = 0;
            }
        } else if (state == 3) {
            progress = progress + increment;
            value = value + (2 * progress - 2) * span * increment;
            if (progress >= 1) {
                value = 0;
                state = 0;
                span = increment = progress = 0;
            }
        }
    }
};

inline double gainCurve(double f)
{
    if (f < 10)
        return 0;
    if (f < 30)
        return std::pow((f - 10) * 0.05, 2);
    if (f < 10000)
        return std::pow(1 - (f - 30) * 0.00010030090270812437 * 0.3, 2);
    if (f < 17500)
        return std::pow(0.7 - (f - 10000) * 0.00013333333333333334 * 0.7, 2);
    return 0;
}

struct Osc {
    int wave = 0;
    double partial = 1, detuneCents = 0, attackTime = 0.01, releaseTime = 0.01, portaTime = 0, noiseGain = 0,
           levelGain = 0, phase = 0, currentFreq = 0, targetFreq = 0, glideRatio = 1;
    Env envelope;
    bool hasPlayed = false;
    double output = 0;
    Slew gain{1, 1, 1 / (44100 * 0.002)};
    double sampleRate = 44100, bendFactor = 1;

    double multiplier() const { return std::pow(2.0, detuneCents * 0.0008333333333333334) * partial; }

    void startNote(double F)
    {
        if (envelope.state == 0 || envelope.state == 3)
            envelope.trigger(attackTime);
        targetFreq = F;
        const double glideSamples = sampleRate * portaTime;
        if (hasPlayed && glideSamples >= 1) {
            glideRatio = std::pow(F / currentFreq, 1 / glideSamples);
        } else {
            currentFreq = F;
            glideRatio = 1;
        }
        hasPlayed = true;
    }

    void resetForSampleRate(double rate)
    {
        sampleRate = rate;
        envelope.sampleRate = rate;
        gain = Slew{1, 1, std::fabs(1 / (rate * 0.002))};
    }

    void tick()
    {
        envelope.tick();
        if (glideRatio != 1) {
            currentFreq = currentFreq * glideRatio;
            if ((glideRatio < 1 && currentFreq <= targetFreq) || (glideRatio > 1 && currentFreq >= targetFreq)) {
                currentFreq = targetFreq;
                glideRatio = 1;
            }
        }
        const double f = bendFactor * multiplier() * currentFreq;
        double w = 0;
        if (f > 0) {
            phase = phase + f * kTwoPi / sampleRate;
            if (phase >= kTwoPi)
                phase -= kTwoPi;
            if (phase >= kTwoPi) // above the sample rate: reduce fully
                phase = std::fmod(phase, kTwoPi);
            if (wave == 0)
                w = sinePoly(phase - kPi);
            else if (wave >= 1 && wave <= 3)
                w = Tables::get().readBandLimited(wave == 1 ? 0 : wave == 2 ? 1 : 2, phase, f);
        }
        gain.tick(gainCurve(f));
        const double r = static_cast<std::int32_t>(Random::next()) * 4.656612875245797e-10;
        output = (r * noiseGain + w) * (gain.value * levelGain * envelope.value);
    }
};

struct LfoRef {
    int shape = 0;
    double cyclesPerBar = 0;
    Slew out;
    double phase = 0, phaseOffset = 0, increment = 0, heldRandom = 0, sampleRate = 44100;

    void init(double rate)
    {
        shape = 0;
        cyclesPerBar = 0;
        out = Slew{0, 0, std::fabs(2 / (rate * 0.001))};
        phase = phaseOffset = increment = 0;
        heldRandom = static_cast<std::int32_t>(Random::next()) * 4.656612875245797e-10;
        sampleRate = rate;
    }
    void sync(bool playing, double ppq, double tempo)
    {
        if (playing) {
            const double a = ppq * 0.25 * cyclesPerBar + phaseOffset;
            phase = a - std::floor(a);
        }
        increment = tempo * 0.004166666666666667 * cyclesPerBar / sampleRate;
    }
    void tick()
    {
        phase = phase + increment;
        if (phase >= 1) {
            phase -= 1;
            if (shape == 5)
                heldRandom = static_cast<std::int32_t>(Random::next()) * 4.656612875245797e-10;
        }
        const double p = phase;
        double v = 0;
        switch (shape) {
        case 0: v = sinePoly(p * kTwoPi - kPi); break;
        case 1: v = p < 0.25 ? 4 * p : p < 0.75 ? 2 - 4 * p : 4 * p - 4; break;
        case 2: v = p < 0.5 ? 1 : -1; break;
        case 3: v = 2 * p - 1; break;
        case 4: v = 1 - 2 * p; break;
        case 5: v = heldRandom; break;
        }
        out.tick(v);
    }
};

struct Voice {
    std::vector<int> stack;
    Osc osc[3];
    int portaResetCounter = 0, portaResetSamples = 0;
    double output = 0, mainGain = 0;
    LfoRef lfo;
    double sampleRate = 44100, bendRange = 0, lfoDepth = 0;

    Voice()
    {
        lfo.init(44100);
        resetForSampleRate(44100);
    }
    static double freq(int k) { return 440 * std::pow(2.0, (k - 69) * 0.08333333333333333); }
    void resetForSampleRate(double rate)
    {
        sampleRate = rate;
        for (auto& o : osc)
            o.resetForSampleRate(rate);
        lfo.init(rate);
    }
    void erase(int key)
    {
        for (std::size_t i = 0; i < stack.size(); ++i)
            if (stack[i] == key) {
                stack.erase(stack.begin() + static_cast<long>(i));
                return;
            }
    }
    void noteOn(int key)
    {
        erase(key);
        stack.push_back(key);
        for (auto& o : osc)
            o.startNote(freq(key));
    }
    void noteOff(int key)
    {
        erase(key);
        if (!stack.empty()) {
            for (auto& o : osc)
                o.startNote(freq(stack.back()));
        } else {
            for (auto& o : osc)
                o.envelope.release(o.releaseTime);
            portaResetCounter = 0;
        }
    }
    void bend(int v)
    {
        const double factor = std::pow(2.0, v * 0.0001220703125 * bendRange * 0.08333333333333333);
        for (auto& o : osc)
            o.bendFactor = factor;
    }
    void tick()
    {
        for (auto& o : osc)
            o.tick();
        lfo.tick();
        if (stack.empty() && portaResetSamples > 0) {
            portaResetCounter += 1;
            if (portaResetCounter > portaResetSamples) {
                portaResetCounter = 0;
                for (auto& o : osc)
                    o.hasPlayed = false;
            }
        }
        const double u = Random::next() * 2.3283064370807974e-10;
        output = (u * 5e-6 + ((osc[1].output + osc[0].output) + osc[2].output)) * mainGain *
                 ((lfo.out.value - 1) * (lfoDepth * 0.5) + 1);
    }
};

} // namespace kx::ref
