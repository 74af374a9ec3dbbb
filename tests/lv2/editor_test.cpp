// The LV2 editor in a real X server, embedded as a host embeds it: the
// effect's editor in the host's window, its edits reaching the host as port
// writes in the ports' values, and the host's port values reaching it.
#include "lv2_driver.h"

#include "formats/lv2/lv2_instance.h"
#include "graphics/canvas.h"
#include "kelvox2/headless_skin.h"
#include "plugin/effect.h"
#include "skin/skin.h"
#include "x11-harness/host_window.h"
#include "x11-harness/xvfb_server.h"

#include "lv2/instance-access/instance-access.h"
#include "lv2/ui/ui.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace kx::testing {
namespace {

// The host's side of the UI: what it was told.
struct UiHost {
    struct Write {
        uint32_t port;
        float value;
    };
    std::vector<Write> writes;
    std::vector<std::pair<uint32_t, bool>> touches;
    int width = 0, height = 0;

    static void write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
        ASSERT_EQ(size, sizeof(float));
        ASSERT_EQ(format, 0u);
        float value;
        std::memcpy(&value, buffer, sizeof value);
        static_cast<UiHost*>(c)->writes.push_back({port, value});
    }
    static int resize(LV2UI_Feature_Handle h, int width, int height) {
        static_cast<UiHost*>(h)->width = width;
        static_cast<UiHost*>(h)->height = height;
        return 0;
    }
    static void touch(LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
        static_cast<UiHost*>(h)->touches.emplace_back(port, grabbed);
    }
};

// What the headless snapshot paints for the instance's present values, on
// the first page.
std::vector<uint32_t> headless(const lv2::Instance& instance) {
    auto other = kelvox2::createInProcessInstrument();
    for (int i = 0; i < kSynthParamCount; ++i)
        other->setParameterValue(i, instance.object->getParameterValue(i));
    kelvox2::SkinView view(*other->getSkin());
    view.paint();
    std::vector<uint32_t> out;
    if (const KCanvas* canvas = view.canvas())
        out.assign(canvas->pixels(), canvas->pixels() + size_t(canvas->width()) * size_t(canvas->height()));
    for (uint32_t& p : out)
        p &= 0xFFFFFF;
    return out;
}

// Polls until the condition holds or the time runs out, calling step (the
// host's idle) between checks.
bool waitFor(const std::function<bool()>& condition, const std::function<void()>& step, int timeoutMs = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        step();
        usleep(1000);
    }
    return true;
}

// The editor's pixels as RGB words, as the headless paint's are compared.
std::vector<uint32_t> shown(const x11::HostWindow& host) {
    std::vector<uint32_t> pixels = host.pixels(host.child(), 665, 407);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

int changedPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int n = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        n += a[i] != b[i];
    return n;
}

TEST(Lv2Editor, EmbedsInTheHostWindowAndTalksThroughPorts) {
    x11::XvfbServer server{x11::ScreenSize{}};
    ASSERT_TRUE(server.running());
    x11::HostWindow host(800, 600);
    ASSERT_TRUE(host.ok());
    Lv2Instance lv2(48000.0);
    auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(lv2.library(), "lv2ui_descriptor"));
    ASSERT_TRUE(entry);
    const LV2UI_Descriptor* ui = entry(0);
    ASSERT_TRUE(ui);
    EXPECT_STREQ(ui->URI, KX_LV2_UI_URI);
    auto* idle = static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
    ASSERT_TRUE(idle);

    UiHost seen;
    LV2UI_Resize resize{&seen, UiHost::resize};
    LV2UI_Touch touch{&seen, UiHost::touch};
    const LV2_Feature parent{LV2_UI__parent, host.parent()};
    const LV2_Feature access{LV2_INSTANCE_ACCESS_URI, lv2.handle()};
    const LV2_Feature resizing{LV2_UI__resize, &resize};
    const LV2_Feature touching{LV2_UI__touch, &touch};
    const LV2_Feature* features[] = {&parent, &access, &resizing, &touching, nullptr};
    // Without the instance there is no editor.
    const LV2_Feature* without[] = {&parent, nullptr};
    LV2UI_Widget widget = nullptr;
    EXPECT_EQ(ui->instantiate(ui, KX_LV2_URI, KX_LV2_BUNDLE, UiHost::write, &seen, &widget, without), nullptr);

    LV2UI_Handle handle = ui->instantiate(ui, KX_LV2_URI, KX_LV2_BUNDLE, UiHost::write, &seen, &widget, features);
    ASSERT_TRUE(handle);
    auto step = [&] { idle->idle(handle); };
    EXPECT_EQ(reinterpret_cast<uintptr_t>(widget), static_cast<uintptr_t>(host.child()));
    EXPECT_EQ(seen.width, 665);
    EXPECT_EQ(seen.height, 407);
    // What it shows is what the headless snapshot paints.
    auto* instance = static_cast<lv2::Instance*>(lv2.handle());
    EXPECT_TRUE(waitFor([&] { return shown(host) == headless(*instance); }, step));

    // A drag on the bend range dial: the host hears each value as the
    // port's plain value, inside the gesture.
    const uint32_t bendPort = lv2::kFirstParamPort + kPtchBend;
    host.moveTo(340, 55);
    host.press(1);
    for (int y = 55; y >= 15; y -= 4) {
        host.moveTo(340, y);
        step();
    }
    host.release(1);
    EXPECT_TRUE(waitFor([&] { return !seen.touches.empty() && !seen.touches.back().second; }, step));
    ASSERT_FALSE(seen.writes.empty());
    const KParam& bend = *instance->object->getParam(kPtchBend);
    const float now = instance->effect->getParameter(instance->effect, kPtchBend);
    EXPECT_EQ(seen.writes.back().port, bendPort);
    EXPECT_EQ(seen.writes.back().value, static_cast<float>(lv2::toPortValue(bend, now)));
    EXPECT_GT(seen.writes.back().value, 2.0f);  // up from the default of 2 semitones
    EXPECT_LE(seen.writes.back().value, 12.0f);
    EXPECT_EQ(seen.touches.front(), std::make_pair(bendPort, true));

    // The host sets the port: the effect takes the value and the dial shows it.
    const auto before = shown(host);
    const float twelve = 12.0f;
    ui->port_event(handle, bendPort, sizeof twelve, 0, &twelve);
    EXPECT_EQ(instance->effect->getParameter(instance->effect, kPtchBend), 1.0f);
    EXPECT_TRUE(waitFor([&] { return changedPixels(before, shown(host)) > 20; }, step));
    EXPECT_TRUE(waitFor([&] { return shown(host) == headless(*instance); }, step));
    // The echo of the editor's own value changes nothing.
    const size_t writes = seen.writes.size();
    ui->port_event(handle, bendPort, sizeof twelve, 0, &twelve);
    EXPECT_EQ(seen.writes.size(), writes);

    // The random patch button changes many values at once: each reaches the
    // host as the port's value.
    seen.writes.clear();
    host.click(147, 80);
    EXPECT_TRUE(waitFor([&] { return seen.writes.size() >= 10; }, step));
    std::map<uint32_t, float> last;
    for (const UiHost::Write& w : seen.writes)
        last[w.port] = w.value;
    for (const auto& [port, value] : last) {
        const int index = static_cast<int>(port - lv2::kFirstParamPort);
        const KParam& param = *instance->object->getParam(index);
        EXPECT_EQ(value,
                  static_cast<float>(lv2::toPortValue(param, instance->effect->getParameter(instance->effect, index))))
            << param.getName();
    }

    ui->cleanup(handle);
    EXPECT_EQ(instance->ui, nullptr);
    EXPECT_EQ(host.child(), 0u);
}

}  // namespace
}  // namespace kx::testing
