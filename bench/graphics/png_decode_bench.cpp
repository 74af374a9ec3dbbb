// Decoding a skin-sized RGBA image (1330 x 395: a gradient with noise, encoded
// by libpng at its default settings) with our decoder and with libpng.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "graphics/png_decoder.h"
#include "png_reference.h"

namespace {

const std::vector<uint8_t>& skinImage() {
    static const std::vector<uint8_t> png = [] {
        const uint32_t w = 1330, h = 395;
        std::vector<uint8_t> rgba(size_t(w) * h * 4);
        uint32_t seed = 2026;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                seed = seed * 1664525u + 1013904223u;
                uint8_t* p = &rgba[(size_t(y) * w + x) * 4];
                const int noise = int(seed >> 29) - 4;
                p[0] = uint8_t(x * 255 / w + noise);
                p[1] = uint8_t(y * 255 / h - noise);
                p[2] = uint8_t((x + y) / 7 + noise);
                p[3] = uint8_t(255 - ((x / 50) % 2) * 64);
            }
        return kx::test::encodeRgbaWithLibpng(rgba, w, h);
    }();
    return png;
}

void BM_DecodePng_Ours(benchmark::State& state) {
    const std::vector<uint8_t>& png = skinImage();
    for (auto _ : state) {
        auto image = kx::decodePng(png.data(), png.size());
        benchmark::DoNotOptimize(image.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 1330 * 395 * 4);
    state.counters["png_bytes"] = double(png.size());
}
BENCHMARK(BM_DecodePng_Ours)->Unit(benchmark::kMillisecond);

void BM_DecodePng_Libpng(benchmark::State& state) {
    const std::vector<uint8_t>& png = skinImage();
    for (auto _ : state) {
        auto image = kx::test::decodeWithLibpng(png);
        benchmark::DoNotOptimize(image ? image->pixels.data() : nullptr);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 1330 * 395 * 4);
}
BENCHMARK(BM_DecodePng_Libpng)->Unit(benchmark::kMillisecond);

}  // namespace
