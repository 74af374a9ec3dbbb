// The instrument with its editor open in a host window of a real X server:
// the host's requests go through the effect's dispatcher as a DAW sends
// them, the host callback records the edit notifications, and what is on
// the screen can be compared with what the headless snapshot paints for
// the same state.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "clipboard_owner.h"

#include "editor/editor.h"
#include "editor/editor_window.h"
#include "editor/linux/x11_window_system.h"
#include "instrument/synth_effect.h"
#include "kelvox2/headless_skin.h"
#include "skin/skin.h"
#include "skin/skin_fixture.h"
#include "x11-harness/host_window.h"
#include "x11-harness/window_manager.h"
#include "x11-harness/xvfb_server.h"

namespace kx::testing {

using x11::HostWindow;
using x11::WindowManager;
using x11::XvfbServer;

// Polls until the condition holds or the time runs out, calling step (the
// host's idle) between checks; answers the condition.
inline bool waitFor(const std::function<bool()>& condition, const std::function<void()>& step, int timeoutMs = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        step();
        usleep(1000);
    }
}

// The RGB words (0x00RRGGBB) of pixels read back, as the headless paint's
// are compared.
inline std::vector<uint32_t> rgb(std::vector<uint32_t> pixels) {
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

// Places on the built-in skin (page 1), in editor-window pixels.
struct SkinPoint {
    int x, y;
};
inline constexpr SkinPoint kWave1Dial{90, 150};      // KPotDot Wave1 at 70 130 40 40
inline constexpr SkinPoint kDetune1Value{220, 182};  // KValue Detune1 at 190 175 60 15
inline constexpr SkinPoint kEmptySpace{640, 20};     // no control there

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server().running()) << "no X server (Xvfb) could be started";
        hostCalls().clear();
        instance.reset(createEffectInstance(recordingHost));
        effect = static_cast<KEffect*>(instance.get());
        aeffect = effect->getAeffect();
        ASSERT_TRUE(effect->getSkinEditor());
        width = effect->getSkin()->width();
        height = effect->getSkin()->height();
        host = std::make_unique<HostWindow>(width, height);
        ASSERT_TRUE(host->ok());
    }

    void TearDown() override {
        if (aeffect)
            dispatch(effEditClose);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
    }
    bool open() { return dispatch(effEditOpen, 0, 0, host->parent()) == 1; }
    void idle() { dispatch(effEditIdle); }
    // Idles until the condition holds (3 s at most).
    bool idleUntil(const std::function<bool()>& condition) {
        return waitFor(condition, [this] { idle(); });
    }
    // Gives the server the host's input, then lets the editor process it.
    void deliver() {
        host->sync();
        idle();
    }

    KEditor& editor() { return *effect->getSkinEditor(); }
    KEditorWindow& window() { return *editor().window(); }
    X11WindowSystem* system() { return static_cast<X11WindowSystem*>(editor().windowSystem()); }
    KSkin& skin() { return *effect->getSkin(); }
    double value(int index) const { return effect->getParameterValue(index); }
    int param(const char* name) const { return effect->findParameter(name); }

    // What the editor's window shows now.
    std::vector<uint32_t> onScreen() {
        if (system())
            system()->sync();
        host->sync();
        return rgb(host->pixels(host->child(), width, height));
    }

    // What the snapshot code paints for the effect's present values and page.
    std::vector<uint32_t> headless() {
        auto other = kelvox2::createInProcessInstrument();
        for (int i = 0; i < effect->getParamList().count(); ++i)
            other->setParameterValue(i, effect->getParameterValue(i));
        kelvox2::SkinView view(*other->getSkin());
        other->getSkin()->SetPage(skin().GetPage());
        view.paint();
        std::vector<uint32_t> out;
        const KCanvas* canvas = view.canvas();
        if (!canvas)
            return out;
        out.assign(canvas->pixels(), canvas->pixels() + size_t(canvas->width()) * size_t(canvas->height()));
        for (uint32_t& p : out)
            p &= 0xFFFFFF;
        return out;
    }

    // Pixels that differ between two pictures of the editor's size; a
    // missing picture differs everywhere.
    static size_t differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        if (a.empty() || b.empty() || a.size() != b.size())
            return std::max<size_t>(std::max(a.size(), b.size()), 1);
        size_t n = 0;
        for (size_t i = 0; i < a.size(); ++i)
            n += a[i] != b[i];
        return n;
    }

    // One server per test program, started by the first test that needs it.
    static XvfbServer& server() {
        static XvfbServer xvfb{x11::ScreenSize{}};
        return xvfb;
    }
    std::unique_ptr<AudioEffect> instance;
    KEffect* effect = nullptr;
    AEffect* aeffect = nullptr;
    std::unique_ptr<HostWindow> host;
    int width = 0;
    int height = 0;
};

}  // namespace kx::testing
