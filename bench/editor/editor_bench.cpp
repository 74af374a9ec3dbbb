// The editor on a real X server: opening to the first complete picture on
// the screen, one step of a dial drag to its pixels on the screen, and an
// idle call with nothing to do.
#include <benchmark/benchmark.h>

#include <memory>

#include "editor/editor.h"
#include "editor/window_system.h"
#include "plugin/effect.h"
#include "skin/skin.h"
#include "x11-harness/host_window.h"
#include "x11-harness/xvfb_server.h"

namespace {

using namespace kx;
using kx::x11::HostWindow;
using kx::x11::XvfbServer;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

XvfbServer& server() {
    static XvfbServer xvfb{kx::x11::ScreenSize{}};
    return xvfb;
}

struct Session {
    Session() {
        instance.reset(createEffectInstance(quietHost));
        effect = static_cast<KEffect*>(instance.get());
        record = effect->getAeffect();
        host = std::make_unique<HostWindow>(effect->getSkin()->width(), effect->getSkin()->height());
    }
    ~Session() { dispatch(effEditClose); }
    VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) {
        return record->dispatcher(record, opcode, 0, 0, ptr, 0.0f);
    }
    bool open() { return dispatch(effEditOpen, host->parent()) == 1; }
    // Waits until the server has carried out everything the editor sent.
    void settle() { effect->getSkinEditor()->windowSystem()->sync(); }

    std::unique_ptr<AudioEffect> instance;
    KEffect* effect = nullptr;
    AEffect* record = nullptr;
    std::unique_ptr<HostWindow> host;
};

bool ready(benchmark::State& state) {
    if (server().running())
        return true;
    state.SkipWithError("no X server (Xvfb) could be started");
    return false;
}

void BM_OpenToFirstPictureOnScreen(benchmark::State& state) {
    if (!ready(state))
        return;
    Session s;
    for (auto _ : state) {
        if (!s.open()) {
            state.SkipWithError("open failed");
            break;
        }
        s.settle();
        state.PauseTiming();
        s.dispatch(effEditClose);
        s.host->sync();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenToFirstPictureOnScreen)->Unit(benchmark::kMillisecond);

// The Wave1 dial held and moved one pixel per step: the pointer event is
// given to the server (not timed), then one idle processes it, repaints the
// dial and its read-out and puts the picture, and the server carries it out.
void BM_DialDragStepToPixelsOnScreen(benchmark::State& state) {
    if (!ready(state))
        return;
    Session s;
    if (!s.open()) {
        state.SkipWithError("open failed");
        return;
    }
    const int x = 90;
    int y = 150, step = -1;
    s.host->moveTo(x, y);
    s.host->press(1);
    s.host->sync();
    s.dispatch(effEditIdle);
    s.settle();
    const int wave = s.effect->findParameter("Wave1");
    int unchanged = 0;
    for (auto _ : state) {
        state.PauseTiming();
        y += step;
        if (y < 60 || y > 150)
            step = -step;
        s.host->moveTo(x, y);
        s.host->sync();
        const double before = s.effect->getParameterValue(wave);
        state.ResumeTiming();
        s.dispatch(effEditIdle);
        s.settle();
        if (s.effect->getParameterValue(wave) == before)
            ++unchanged;
    }
    s.host->release(1);
    s.host->sync();
    s.dispatch(effEditIdle);
    state.counters["steps_without_change"] = unchanged;
}
BENCHMARK(BM_DialDragStepToPixelsOnScreen)->Unit(benchmark::kMicrosecond);

void BM_IdleWithNothingToDo(benchmark::State& state) {
    if (!ready(state))
        return;
    Session s;
    if (!s.open()) {
        state.SkipWithError("open failed");
        return;
    }
    s.dispatch(effEditIdle);
    s.settle();
    for (auto _ : state)
        s.dispatch(effEditIdle);
}
BENCHMARK(BM_IdleWithNothingToDo)->Unit(benchmark::kMicrosecond);

}  // namespace
