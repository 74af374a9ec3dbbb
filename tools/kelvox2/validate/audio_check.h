// What every processed block must be: written in full (the host's marker
// gone), finite, free of denormals and below +40 dBFS. The host fills the
// outputs, and a guard after the block, with a signalling NaN whose payload
// no arithmetic produces, so an untouched sample is told from a computed NaN.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace kx::validate {

constexpr double kLoudLimit = 100.0;         // +40 dBFS
constexpr double kSilenceLimit = 3.1623e-5;  // -90 dBFS
constexpr int kGuardFrames = 64;             // checked after every block

constexpr std::uint32_t kFloatMarker = 0x7FA5A5A5u;
constexpr std::uint64_t kDoubleMarker = 0x7FF4A5A5A5A5A5A5ull;

inline bool isMarker(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits == kFloatMarker;
}
inline bool isMarker(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits == kDoubleMarker;
}
template <typename T>
void fillMarker(T* data, std::size_t n) {
    if constexpr (sizeof(T) == 4) {
        for (std::size_t i = 0; i < n; ++i)
            std::memcpy(&data[i], &kFloatMarker, sizeof kFloatMarker);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            std::memcpy(&data[i], &kDoubleMarker, sizeof kDoubleMarker);
    }
}

struct SampleFault {
    enum class What { None, Unwritten, NotANumber, Infinite, Denormal, TooLoud };
    What what = What::None;
    int index = -1;
    double value = 0.0;
    explicit operator bool() const { return what != What::None; }
};

// The first sample of `data` that is not as it must be.
template <typename T>
SampleFault firstFault(const T* data, int frames) {
    for (int i = 0; i < frames; ++i) {
        const T v = data[i];
        if (std::isfinite(v) && std::fabs(v) < kLoudLimit && std::fpclassify(v) != FP_SUBNORMAL)
            continue;
        SampleFault f;
        f.index = i;
        f.value = static_cast<double>(v);
        if (isMarker(v))
            f.what = SampleFault::What::Unwritten;
        else if (std::isnan(v))
            f.what = SampleFault::What::NotANumber;
        else if (std::isinf(v))
            f.what = SampleFault::What::Infinite;
        else if (std::fpclassify(v) == FP_SUBNORMAL)
            f.what = SampleFault::What::Denormal;
        else
            f.what = SampleFault::What::TooLoud;
        return f;
    }
    return {};
}

// The first sample of the guard after the block that the plug-in changed.
template <typename T>
int firstGuardWrite(const T* guard, int frames) {
    for (int i = 0; i < frames; ++i)
        if (!isMarker(guard[i]))
            return i;
    return -1;
}

template <typename T>
double peakOf(const T* data, int frames) {
    double peak = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double v = std::fabs(static_cast<double>(data[i]));
        if (v > peak || std::isnan(v))
            peak = v;
    }
    return peak;
}

inline double dbfs(double amplitude) { return amplitude > 0.0 ? 20.0 * std::log10(amplitude) : -999.0; }

// "-118 dBFS", or "nothing" for silence.
inline std::string levelText(double amplitude) {
    if (!(amplitude > 0.0))
        return amplitude == 0.0 ? "nothing" : "NaN";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f dBFS", dbfs(amplitude));
    return text;
}

}  // namespace kx::validate
