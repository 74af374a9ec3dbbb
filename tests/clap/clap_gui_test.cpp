// The editor through CLAP's gui extension on a real X server: embedded in
// the host's window, ticked by the host's timer and descriptor watch, the
// same pixels as the VST 2.4 entry's editor, and a drag reaching the host as
// a gesture with plain values.
#include "clap/clap_fixture.h"
#include "clap/clap_x_session.h"

#include <X11/Xlib.h>

namespace kx::testing {
namespace {

constexpr int kWave1X = 90, kWave1Y = 150;  // the Wave1 dial on the built-in skin

class ClapGuiTest : public ClapTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(clapx::serverRunning()) << "no X server (Xvfb) could be started";
        ClapTest::SetUp();
        gui = clap.extension<clap_plugin_gui>(CLAP_EXT_GUI);
        timer = clap.extension<clap_plugin_timer_support>(CLAP_EXT_TIMER_SUPPORT);
        fd = clap.extension<clap_plugin_posix_fd_support>(CLAP_EXT_POSIX_FD_SUPPORT);
        ASSERT_TRUE(gui && timer && fd);
    }
    void TearDown() override {
        if (gui)
            gui->destroy(clap.plugin());
    }
    // The host's main loop: its timer and, as the server had something to
    // say, the watched descriptor.
    void tick() {
        for (clap_id id : std::vector<clap_id>(clap.timers))
            timer->on_timer(clap.plugin(), id);
        for (int d : std::vector<int>(clap.fds))
            fd->on_fd(clap.plugin(), d, CLAP_POSIX_FD_READ);
    }
    bool open(clapx::Host& host) {
        if (!gui->create(clap.plugin(), CLAP_WINDOW_API_X11, false))
            return false;
        clap_window window{};
        window.api = CLAP_WINDOW_API_X11;
        window.x11 = host.window();
        return gui->set_parent(clap.plugin(), &window) && gui->show(clap.plugin());
    }

    const clap_plugin_gui* gui = nullptr;
    const clap_plugin_timer_support* timer = nullptr;
    const clap_plugin_posix_fd_support* fd = nullptr;
};

TEST_F(ClapGuiTest, EmbedsInTheHostWindowWithTheVstEditorsPixels) {
    EXPECT_TRUE(gui->is_api_supported(clap.plugin(), CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui->is_api_supported(clap.plugin(), CLAP_WINDOW_API_X11, true));
    EXPECT_FALSE(gui->is_api_supported(clap.plugin(), CLAP_WINDOW_API_WIN32, false));
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(gui->get_preferred_api(clap.plugin(), &api, &floating));
    EXPECT_STREQ(api, "x11");
    EXPECT_FALSE(floating);

    ASSERT_TRUE(gui->create(clap.plugin(), CLAP_WINDOW_API_X11, false));
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui->get_size(clap.plugin(), &width, &height));
    ASSERT_GT(width, 100u);
    ASSERT_GT(height, 100u);
    clapx::Host host(static_cast<int>(width), static_cast<int>(height));
    ASSERT_TRUE(host.ok());
    clap_window window{};
    window.api = CLAP_WINDOW_API_X11;
    window.x11 = host.window();
    ASSERT_TRUE(gui->set_parent(clap.plugin(), &window));
    ASSERT_TRUE(gui->show(clap.plugin()));
    EXPECT_EQ(clap.timers.size(), 1u);
    ASSERT_EQ(clap.fds.size(), 1u);
    EXPECT_GE(clap.fds[0], 0);
    ASSERT_TRUE(clapx::waitUntil([&] { return host.child() != 0; }, [&] { tick(); }));

    // The VST 2.4 editor of an instance in the same state, in a window of its own.
    loadVst(44100.0, 512);
    clapx::Host other(static_cast<int>(width), static_cast<int>(height), 0, static_cast<int>(height) + 10);
    ASSERT_TRUE(other.ok());
    ASSERT_EQ(vst.dispatch(effEditOpen, 0, 0, other.parent()), 1);
    std::vector<uint32_t> mine, theirs;
    EXPECT_TRUE(clapx::waitUntil(
        [&] {
            host.sync();
            other.sync();
            mine = host.pixels(host.child(), static_cast<int>(width), static_cast<int>(height));
            theirs = other.pixels(other.child(), static_cast<int>(width), static_cast<int>(height));
            return !mine.empty() && mine == theirs;
        },
        [&] {
            tick();
            vst.dispatch(effEditIdle);
        }));
    vst.dispatch(effEditClose);

    gui->destroy(clap.plugin());
    EXPECT_TRUE(clap.timers.empty()) << "the timer is given back";
    EXPECT_TRUE(clap.fds.empty()) << "so is the descriptor";
    host.sync();
    EXPECT_EQ(host.child(), 0u);
}

TEST_F(ClapGuiTest, ADialDragReachesTheHostAsAGestureOfPlainValues) {
    ASSERT_TRUE(gui->create(clap.plugin(), CLAP_WINDOW_API_X11, false));
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui->get_size(clap.plugin(), &width, &height));
    gui->destroy(clap.plugin());
    clapx::Host host(static_cast<int>(width), static_cast<int>(height));
    ASSERT_TRUE(host.ok());
    ASSERT_TRUE(open(host));
    ASSERT_TRUE(clapx::waitUntil([&] { return host.child() != 0; }, [&] { tick(); }));
    const clap_id wave = paramId("Wave1");
    auto drag = [&](int fromY, int toY) {
        host.moveTo(kWave1X, fromY);
        host.press(1);
        for (int y = fromY - 5; y >= toY; y -= 5)
            host.moveTo(kWave1X, y);
        host.release(1);
        host.sync();
        const int before = clap.flushRequests;
        ASSERT_TRUE(clapx::waitUntil([&] { return clap.flushRequests > before; }, [&] { tick(); }));
    };
    // The gesture as the host's events: begin, values (a choice's index), end.
    auto expectGesture = [&] {
        ASSERT_GE(clap.outEvents.size(), 3u);
        auto header = [&](size_t i) { return reinterpret_cast<const clap_event_header*>(clap.outEvents[i].data()); };
        EXPECT_EQ(header(0)->type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
        EXPECT_EQ(reinterpret_cast<const clap_event_param_gesture*>(header(0))->param_id, wave);
        EXPECT_EQ(header(clap.outEvents.size() - 1)->type, CLAP_EVENT_PARAM_GESTURE_END);
        double last = -1.0;
        for (size_t i = 1; i + 1 < clap.outEvents.size(); ++i) {
            ASSERT_EQ(header(i)->type, CLAP_EVENT_PARAM_VALUE);
            const auto* v = reinterpret_cast<const clap_event_param_value*>(header(i));
            EXPECT_EQ(v->param_id, wave);
            EXPECT_EQ(v->header.size, sizeof(clap_event_param_value));
            EXPECT_EQ(v->value, static_cast<int>(v->value)) << "a choice's index";
            EXPECT_GE(v->value, 0.0);
            EXPECT_LE(v->value, 3.0);
            last = v->value;
        }
        EXPECT_EQ(value(wave), last) << "the host hears the value the effect holds";
        clap.outEvents.clear();
    };

    // Inactive: the host answers the request with a flush.
    drag(kWave1Y, kWave1Y - 30);
    clap.flush();
    expectGesture();
    EXPECT_GT(value(wave), 0.0);
    // Processing: with the next block.
    ASSERT_TRUE(clap.activate(44100.0, 512));
    drag(kWave1Y, kWave1Y - 60);
    clap.process(64);
    expectGesture();
}

TEST_F(ClapGuiTest, NoEditorIsCreatedForAHostWithoutTimers) {
    ClapTestHost bare;
    bare.offerTimers = false;
    std::string error;
    ASSERT_TRUE(bare.load(KX_CLAP_PATH, kClapId, &error)) << error;
    const auto* g = bare.extension<clap_plugin_gui>(CLAP_EXT_GUI);
    // Hosts ask while scanning, when some offer no timers yet: only
    // creating the editor needs them.
    EXPECT_TRUE(g->is_api_supported(bare.plugin(), CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(g->create(bare.plugin(), CLAP_WINDOW_API_X11, false));
}

}  // namespace
}  // namespace kx::testing
