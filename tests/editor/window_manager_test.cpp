// The editor in a host's window under a window manager, where the keyboard
// focus moves on every press: the window manager focuses the window clicked
// in and the host's toolkit hands the focus on to a small child window of its
// own. A drag goes on through that; it ends when another window takes the
// focus.
#include <unistd.h>

#include "editor_fixture.h"

namespace kx::testing {
namespace {

class WindowManagerTest : public EditorTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(server().running()) << "no X server (Xvfb) could be started";
        // Before the host's window, so that it is framed and focused.
        manager = std::make_unique<WindowManager>();
        ASSERT_TRUE(manager->running()) << "openbox did not start (scripts/install-deps.sh installs it)";
        EditorTest::SetUp();
        if (HasFatalFailure())
            return;
        // The window manager frames the new window and gives it the focus:
        // the window the user works in.
        ASSERT_TRUE(waitFor(
            [&] {
                Window focus = 0;
                int revert = 0;
                XGetInputFocus(host->display(), &focus, &revert);
                return focus == host->window();
            },
            [] { usleep(10000); }));
    }
    void TearDown() override {
        EditorTest::TearDown();
        host.reset();
        manager.reset();
    }

    // Presses on the Wave1 dial and drags it up until the host hears it.
    void startDrag() {
        ASSERT_TRUE(open());
        wave = param("Wave1");
        effect->setParameterValue(wave, 0.2);
        host->moveTo(kWave1Dial.x, kWave1Dial.y);
        host->press(1);
        host->moveTo(kWave1Dial.x, kWave1Dial.y - 10);
        ASSERT_TRUE(idleUntil([&] { return value(wave) > 0.2; }));
        ASSERT_EQ(system()->capture(), window().hwnd());
    }
    // Lets the editor hear what happened on the server.
    void settle() {
        host->sync();
        for (int i = 0; i < 5; ++i) {
            idle();
            usleep(5000);
        }
    }
    size_t ends() const {
        size_t n = 0;
        for (const HostCall& call : hostCalls())
            n += call == end(wave);
        return n;
    }

    std::unique_ptr<WindowManager> manager;
    int wave = -1;
};

TEST_F(WindowManagerTest, TheFocusMovingInsideTheHostsWindowDuringADragLeavesItGoing) {
    ASSERT_NO_FATAL_FAILURE(startDrag());
    Display* d = host->display();
    // What a toolkit does on each press: the top-level window gets the focus
    // and hands it to a 1x1 child window, just outside the window's area,
    // that takes its keys.
    XSetInputFocus(d, host->window(), RevertToParent, CurrentTime);
    host->sync();
    settle();
    const Window keys = XCreateSimpleWindow(d, host->window(), -1, -1, 1, 1, 0, 0, 0);
    XMapWindow(d, keys);
    XSetInputFocus(d, keys, RevertToParent, CurrentTime);
    settle();
    EXPECT_EQ(system()->capture(), window().hwnd());
    EXPECT_EQ(ends(), 0u);

    const double during = value(wave);
    const size_t heard = hostCalls().size();
    host->moveTo(kWave1Dial.x, kWave1Dial.y - 40);
    ASSERT_TRUE(idleUntil([&] { return value(wave) > during; })) << "the drag stopped with the focus move";
    EXPECT_GT(hostCalls().size(), heard);
    EXPECT_EQ(hostCalls().back(), automate(wave));
    host->release(1);
    ASSERT_TRUE(idleUntil([&] { return ends() == 1; }));
    // One gesture from press to release.
    EXPECT_EQ(hostCalls().front(), begin(wave));
    EXPECT_EQ(hostCalls().back(), end(wave));
    EXPECT_EQ(system()->capture(), 0u);
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

TEST_F(WindowManagerTest, AnotherWindowTakingTheFocusDuringADragEndsIt) {
    ASSERT_NO_FATAL_FAILURE(startDrag());
    // Another program's window comes up and takes the keyboard.
    HostWindow other(200, 100, width + 40, 40);
    ASSERT_TRUE(other.ok());
    XSetInputFocus(other.display(), other.window(), RevertToParent, CurrentTime);
    other.sync();
    ASSERT_TRUE(idleUntil([&] { return ends() == 1; }));
    EXPECT_EQ(hostCalls().back(), end(wave));
    EXPECT_EQ(system()->capture(), 0u);
    const double after = value(wave);
    host->moveTo(kWave1Dial.x, kWave1Dial.y - 50);
    settle();
    EXPECT_EQ(value(wave), after) << "moves after the loss drag nothing";
    host->release(1);
    settle();
    EXPECT_EQ(ends(), 1u);
}

}  // namespace
}  // namespace kx::testing
