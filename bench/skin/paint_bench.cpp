// Painting the built-in skin: a whole page from scratch, and the repaint
// after one dial moves (what a drag costs per pointer event).
#include <benchmark/benchmark.h>

#include <memory>

#include "graphics/canvas.h"
#include "instrument/synth_effect.h"
#include "skin/skin.h"
#include "skin/skin_parser.h"

namespace {

using namespace kx;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Session {
    Session() : effect(new SynthEffect(quietHost)) {
        skin = loadSkinFrom(nullptr, effect.get());
        skin->WindowOpened();
        canvas = std::make_unique<KCanvas>(skin->width(), skin->height());
        skin->ResetCanvas(*canvas);
        skin->Paint(*canvas);
    }
    std::unique_ptr<KEffect> effect;
    std::unique_ptr<KSkin> skin;
    std::unique_ptr<KCanvas> canvas;
};

void BM_FullPagePaint(benchmark::State& state) {
    Session s;
    for (auto _ : state) {
        s.skin->RequestFullRedraw();
        s.skin->Paint(*s.canvas);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullPagePaint)->Unit(benchmark::kMicrosecond);

// One drag step on the Wave1 dial at (70, 130): the value changes, the dial
// and its read-out repaint.
void BM_DialDragRepaint(benchmark::State& state) {
    Session s;
    s.skin->LeftDown(false, false, 90, 150);
    int y = 150;
    int step = -1;
    for (auto _ : state) {
        y += step;
        if (y < 60 || y > 150)
            step = -step;
        s.skin->MouseMove(false, 90, y);
        s.skin->Paint(*s.canvas);
        benchmark::ClobberMemory();
    }
    s.skin->LeftUp(false, false, 90, y);
}
BENCHMARK(BM_DialDragRepaint)->Unit(benchmark::kMicrosecond);

// A paint with nothing changed: the cost of deciding that.
void BM_IdlePaint(benchmark::State& state) {
    Session s;
    for (auto _ : state) {
        s.skin->Paint(*s.canvas);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_IdlePaint)->Unit(benchmark::kMicrosecond);

void BM_ParseBuiltInSkin(benchmark::State& state) {
    std::unique_ptr<KEffect> effect(new SynthEffect(quietHost));
    for (auto _ : state) {
        auto skin = loadSkinFrom(nullptr, effect.get());
        benchmark::DoNotOptimize(skin.get());
    }
}
BENCHMARK(BM_ParseBuiltInSkin)->Unit(benchmark::kMicrosecond);

}  // namespace
