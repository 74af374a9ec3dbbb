// The editor window in a host: what it shows, how the mouse drives the
// skin, and how it opens and closes.
#include <X11/cursorfont.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "cursor_image.h"
#include "data/byte_source.h"
#include "data/tokenizer.h"
#include "editor/load_skin.h"
#include "editor_fixture.h"
#include "skin/skin_factory.h"
#include "skin/skin_parser.h"

namespace kx::testing {
namespace {

// A control that takes right-button drags, as a product's control may: the
// framework routes the right button like the left.
class RightDragControl : public KControl {
public:
    explicit RightDragControl(const KControlInit& init) : KControl(init) {}
    const char* getClassName() const override { return "RightDragControl"; }
    int CursorAt(int, int) const override { return kCursorHand; }
    bool RightDown(bool, bool, int, int) override { return held = true; }
    bool RightUp(bool, bool, int, int) override {
        held = false;
        return true;
    }
    void MouseMove(bool, int x, int y) override {
        if (held) {
            lastX = x;
            lastY = y;
        }
    }
    void CancelCapture() override {
        held = false;
        ++cancelled;
    }
    bool held = false;
    int lastX = 0, lastY = 0, cancelled = 0;
};

class RightDragFactory : public KSkinFactory {
public:
    using KSkinFactory::KSkinFactory;
    std::unique_ptr<KControl> CreateControl(const KControlInit& init, KTokenizer& tokens) override {
        if (!tokens.wordIs(tokens.cursor(), "RightDrag"))
            return KSkinFactory::CreateControl(init, tokens);
        auto control = std::make_unique<RightDragControl>(init);
        made = control.get();
        return control;
    }
    RightDragControl* made = nullptr;
};

uint32_t gTick = 1000;
uint32_t testTick() { return gTick; }

TEST_F(EditorTest, OpenShowsWhatTheSnapshotPaintsForTheSameState) {
    effect->setParameterValue(param("Detune1"), 0.8);
    ASSERT_TRUE(open());
    Window child = host->child();
    ASSERT_NE(child, 0u);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(host->display(), child, &a));
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    EXPECT_EQ(a.width, width);
    EXPECT_EQ(a.height, height);
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

TEST_F(EditorTest, DialDragChangesTheParameterAndTheHostHearsBeginAutomateEnd) {
    ASSERT_TRUE(open());
    XSetInputFocus(host->display(), host->window(), RevertToParent, CurrentTime);
    const int wave = param("Wave1");
    const double before = value(wave);
    host->moveTo(kWave1Dial.x, kWave1Dial.y);
    host->press(1);
    for (int y = kWave1Dial.y - 5; y >= kWave1Dial.y - 60; y -= 5)
        host->moveTo(kWave1Dial.x, y);
    host->release(1);
    ASSERT_TRUE(idleUntil([&] { return !hostCalls().empty() && hostCalls().back().opcode == audioMasterEndEdit; }));
    EXPECT_GT(value(wave), before);
    ASSERT_GE(hostCalls().size(), 3u);
    EXPECT_EQ(hostCalls().front(), begin(wave));
    EXPECT_EQ(hostCalls().back(), end(wave));
    for (size_t i = 1; i + 1 < hostCalls().size(); ++i)
        EXPECT_EQ(hostCalls()[i], automate(wave));
    EXPECT_EQ(system()->capture(), 0u);
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
    // A plain click leaves the keyboard with the host.
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(host->display(), &focus, &revert);
    EXPECT_EQ(focus, host->window());
}

TEST_F(EditorTest, ADialDragFollowsThePointerBeyondTheWindowUntilRelease) {
    ASSERT_TRUE(open());
    const int wave = param("Wave1");
    effect->setParameterValue(wave, 0.5);
    host->moveTo(kWave1Dial.x, kWave1Dial.y);
    host->press(1);
    deliver();
    EXPECT_EQ(system()->capture(), window().hwnd());
    host->moveTo(kWave1Dial.x, height + 200);  // far below the editor
    host->sync();
    ASSERT_TRUE(idleUntil([&] { return value(wave) == 0.0; }));
    host->release(1);
    ASSERT_TRUE(idleUntil([&] { return system()->capture() == 0; }));
    EXPECT_EQ(hostCalls().back(), end(wave));
}

TEST_F(EditorTest, RightButtonDragsCaptureAndReleaseLikeLeftButtonDrags) {
    RightDragFactory factory(effect);
    const std::string script = "Init 200 100 1\nAddControl 0 10 10 40 40 RightDrag\n";
    KMemorySource source(reinterpret_cast<const uint8_t*>(script.data()), script.size());
    useSkin(*effect, parseSkin(source, effect, &factory));
    ASSERT_NE(factory.made, nullptr);
    ASSERT_TRUE(open());
    host->moveTo(30, 30);
    host->press(3);
    deliver();
    EXPECT_TRUE(factory.made->held);
    EXPECT_EQ(system()->capture(), window().hwnd());
    host->moveTo(400, 300);  // outside the editor: still reported, to the control
    ASSERT_TRUE(idleUntil([&] { return factory.made->lastX == 390; }));
    EXPECT_EQ(factory.made->lastY, 290);
    host->release(3);
    ASSERT_TRUE(idleUntil([&] { return !factory.made->held; }));
    EXPECT_EQ(system()->capture(), 0u);
    EXPECT_EQ(factory.made->cancelled, 0);
}

TEST_F(EditorTest, APressOnEmptySpaceCapturesNothingAndShowsTheArrow) {
    ASSERT_TRUE(open());
    const auto arrow = fontCursorImage(host->display(), XC_left_ptr);
    const auto hand = fontCursorImage(host->display(), XC_hand2);
    ASSERT_NE(arrow, hand);
    host->moveTo(kWave1Dial.x, kWave1Dial.y);
    deliver();
    system()->sync();
    EXPECT_EQ(window().cursorKind(), kCursorHand);
    EXPECT_EQ(cursorImage(host->display()), hand);
    host->moveTo(kEmptySpace.x, kEmptySpace.y);
    host->press(1);
    deliver();
    system()->sync();
    EXPECT_EQ(system()->capture(), 0u);
    EXPECT_EQ(skin().capturedIndex(), -1);
    EXPECT_EQ(window().cursorKind(), kCursorArrow);
    EXPECT_EQ(cursorImage(host->display()), arrow);
    host->release(1);
    deliver();
    EXPECT_TRUE(hostCalls().empty());
}

TEST_F(EditorTest, LosingTheGrabCancelsADrag) {
    ASSERT_TRUE(open());
    const int wave = param("Wave1");
    host->moveTo(kWave1Dial.x, kWave1Dial.y);
    host->press(1);
    host->moveTo(kWave1Dial.x, kWave1Dial.y - 20);
    ASSERT_TRUE(idleUntil([&] { return hostCalls().size() >= 2; }));
    // The host hides its window: the server ends the editor's grab.
    XUnmapWindow(host->display(), host->window());
    host->sync();
    ASSERT_TRUE(idleUntil([&] { return hostCalls().back() == end(wave); }));
    EXPECT_EQ(system()->capture(), 0u);
    EXPECT_EQ(skin().capturedIndex(), -1);
    EXPECT_EQ(window().cursorKind(), kCursorArrow);
    const size_t calls = hostCalls().size();
    host->release(1);
    deliver();
    EXPECT_EQ(hostCalls().size(), calls);
}

TEST_F(EditorTest, TheHostLosingTheFocusDuringADragCancelsIt) {
    ASSERT_TRUE(open());
    const int wave = param("Wave1");
    XSetInputFocus(host->display(), host->window(), RevertToParent, CurrentTime);
    host->moveTo(kWave1Dial.x, kWave1Dial.y);
    host->press(1);
    deliver();
    ASSERT_EQ(system()->capture(), window().hwnd());
    // Another program takes the keyboard focus.
    XSetInputFocus(host->display(), PointerRoot, RevertToParent, CurrentTime);
    host->sync();
    ASSERT_TRUE(idleUntil([&] { return !hostCalls().empty() && hostCalls().back() == end(wave); }));
    EXPECT_EQ(system()->capture(), 0u);
    host->release(1);
    deliver();
}

// Two notches on Wave1's dial move it two entries in one gesture, which ends
// as the pointer leaves the editor: the clock stands still, so no quiet time
// can have ended it.
TEST_F(EditorTest, AWheelBurstOnADialIsOneGestureEndedWhenThePointerLeaves) {
    skin().setClock(testTick);
    gTick = 1000;
    ASSERT_TRUE(open());
    const int wave = param("Wave1");
    effect->setParameterValue(wave, 0.0);
    host->moveTo(kWave1Dial.x, kWave1Dial.y);
    for (int i = 0; i < 2; ++i) {
        host->press(4);
        host->release(4);
    }
    ASSERT_TRUE(idleUntil([&] { return hostCalls().size() >= 3; }));
    EXPECT_DOUBLE_EQ(value(wave), 2.0 / 3);
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{begin(wave), automate(wave), automate(wave)}));
    host->moveTo(width + 50, 20);
    ASSERT_TRUE(idleUntil([&] { return hostCalls().size() == 4; }));
    EXPECT_EQ(hostCalls().back(), end(wave));
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

TEST_F(EditorTest, RefreshesAreThrottledAndTheLastOneIsPaintedAtALaterIdle) {
    skin().setClock(testTick);
    gTick = 1000;
    ASSERT_TRUE(open());
    const int wave = param("Wave1");
    aeffect->setParameter(aeffect, wave, 0.0f);
    idle();
    const auto first = onScreen();
    EXPECT_EQ(differing(first, headless()), 0u);
    gTick += 10;
    aeffect->setParameter(aeffect, wave, 1.0f);
    idle();
    EXPECT_EQ(differing(onScreen(), first), 0u) << "painted within the throttle interval";
    gTick += 50;
    idle();
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
    EXPECT_NE(differing(onScreen(), first), 0u);
}

TEST_F(EditorTest, HostChangesArePaintedWhateverTheMillisecondTickReads) {
    // 24.9 days after the system started the tick passes 2^31; at 49.7 days
    // it wraps.
    skin().setClock(testTick);
    gTick = 0x90000000u;
    ASSERT_TRUE(open());
    const int wave = param("Wave1");
    const auto first = onScreen();
    aeffect->setParameter(aeffect, wave, 1.0f);
    idle();
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
    EXPECT_NE(differing(onScreen(), first), 0u);
    gTick = 0xFFFFFFF0u;
    aeffect->setParameter(aeffect, wave, 0.0f);
    idle();
    const auto beforeWrap = onScreen();
    EXPECT_EQ(differing(beforeWrap, headless()), 0u);
    gTick += 10;
    aeffect->setParameter(aeffect, wave, 0.5f);
    idle();
    EXPECT_EQ(differing(onScreen(), beforeWrap), 0u) << "painted within the throttle interval";
    gTick += 50;  // past the wrap
    idle();
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

TEST_F(EditorTest, OpeningTwiceKeepsTheOneWindowAndReopeningReusesTheCanvas) {
    ASSERT_TRUE(open());
    const Window first = host->child();
    const KCanvas* canvas = window().canvas();
    EXPECT_TRUE(open());
    EXPECT_EQ(host->child(), first);
    EXPECT_TRUE(editor().isOpen());
    EXPECT_TRUE(effect->isEditorOpen());

    dispatch(effEditClose);
    host->sync();
    EXPECT_FALSE(editor().isOpen());
    EXPECT_FALSE(effect->isEditorOpen());
    EXPECT_EQ(host->child(), 0u);
    EXPECT_EQ(editor().windowSystem(), nullptr);
    // A change while closed shows once the editor is back.
    effect->setParameterValue(param("Level1"), 0.2);
    ASSERT_TRUE(open());
    EXPECT_EQ(window().canvas(), canvas);
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

TEST_F(EditorTest, TheRectangleIsThereBeforeOpen) {
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 407);
    EXPECT_EQ(rect->right, 665);
    EXPECT_EQ(editor().windowSystem(), nullptr);  // nothing touched X yet
}

TEST_F(EditorTest, TwoInstancesHaveTheirEditorsOpenAtOnce) {
    std::unique_ptr<AudioEffect> secondInstance(createEffectInstance(recordingHost));
    auto* second = static_cast<KEffect*>(secondInstance.get());
    AEffect* secondRecord = second->getAeffect();
    HostWindow secondHost(width, height, 0, height + 20);
    ASSERT_TRUE(open());
    ASSERT_EQ(secondRecord->dispatcher(secondRecord, effEditOpen, 0, 0, secondHost.parent(), 0.0f), 1);
    auto idleBoth = [&] {
        idle();
        secondRecord->dispatcher(secondRecord, effEditIdle, 0, 0, nullptr, 0.0f);
    };
    const int wave = param("Wave1");
    const double firstBefore = value(wave);
    secondHost.moveTo(kWave1Dial.x, kWave1Dial.y);
    secondHost.press(1);
    secondHost.moveTo(kWave1Dial.x, kWave1Dial.y - 30);
    secondHost.release(1);
    secondHost.sync();
    ASSERT_TRUE(waitFor([&] { return second->getParameterValue(wave) > firstBefore; }, idleBoth));
    EXPECT_EQ(value(wave), firstBefore);
    for (int i = 0; i < 5; ++i)
        idleBoth();
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
    auto other = kelvox2::createInProcessInstrument();
    other->setParameterValue(wave, second->getParameterValue(wave));
    kelvox2::SkinView view(*other->getSkin());
    static_cast<X11WindowSystem*>(second->getSkinEditor()->windowSystem())->sync();
    auto shown = rgb(secondHost.pixels(secondHost.child(), width, height));
    std::vector<uint32_t> painted(view.canvas()->pixels(), view.canvas()->pixels() + shown.size());
    for (uint32_t& p : painted)
        p &= 0xFFFFFF;
    EXPECT_EQ(differing(shown, painted), 0u);
    secondRecord->dispatcher(secondRecord, effEditClose, 0, 0, nullptr, 0.0f);
}

// The host's own handler sees only the host's errors.
int gHostErrors = 0;
int countHostError(Display*, XErrorEvent*) {
    ++gHostErrors;
    return 0;
}

TEST_F(EditorTest, AHostWindowDestroyedBeforeCloseNeitherEndsTheHostNorFloodsIt) {
    XSetErrorHandler(countHostError);
    gHostErrors = 0;
    ASSERT_TRUE(open());
    host->destroyWindow();
    for (int i = 0; i < 5; ++i) {
        aeffect->setParameter(aeffect, param("Wave1"), i * 0.2f);
        idle();
        usleep(10000);
    }
    EXPECT_FALSE(window().isLive());
    EXPECT_EQ(system()->errors().count, 0u) << "a request went to a destroyed window";
    dispatch(effEditClose);
    EXPECT_EQ(gHostErrors, 0);
    XSetErrorHandler(nullptr);
}

TEST_F(EditorTest, AHostWindowDestroyedJustBeforeCloseCostsAtMostAFewTrappedErrors) {
    XSetErrorHandler(countHostError);
    gHostErrors = 0;
    ASSERT_TRUE(open());
    host->click(kDetune1Value.x, kDetune1Value.y);  // with the text box open, too
    ASSERT_TRUE(idleUntil([&] { return window().textEntry().isOpen(); }));
    aeffect->setParameter(aeffect, param("Wave1"), 0.7f);
    host->destroyWindow();
    X11WindowSystem* connection = system();
    const X11ErrorRecord* errors = &connection->errors();
    unsigned long before = errors->count;
    idle();
    EXPECT_LE(errors->count - before, 3u);
    dispatch(effEditClose);
    EXPECT_EQ(gHostErrors, 0);
    EXPECT_FALSE(editor().isOpen());
    XSetErrorHandler(nullptr);
}

TEST_F(EditorTest, OpeningIntoANewHostWindowAfterTheOldOneWentShowsTheEditorThere) {
    ASSERT_TRUE(open());
    host->destroyWindow();
    host = std::make_unique<HostWindow>(width, height);
    ASSERT_TRUE(open());  // no close, no idle in between
    EXPECT_NE(host->child(), 0u);
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

TEST_F(EditorTest, AutomationFromAnotherThreadWhileTheEditorIdlesLeavesItPaintingChanges) {
    ASSERT_TRUE(open());
    std::atomic<bool> done{false};
    std::thread automation([&] {
        for (int round = 0; round < 400; ++round)
            for (int i = 0; i < aeffect->numParams; ++i)
                aeffect->setParameter(aeffect, i, float((round * 7 + i * 13) % 100) / 100.0f);
        done = true;
    });
    while (!done) {
        idle();
        usleep(2000);
    }
    automation.join();
    // The last values show whole, also in read-outs drawn while a value and
    // its text were being rewritten.
    usleep(50000);  // past the throttle
    idle();
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

// A host that answers the end of an edit by idling and then closing the
// editor, from inside the editor's own call.
AEffect* gReentrantEffect = nullptr;
VstIntPtr reentrantHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (gReentrantEffect && (opcode == audioMasterAutomate || opcode == audioMasterEndEdit))
        gReentrantEffect->dispatcher(gReentrantEffect, effEditIdle, 0, 0, nullptr, 0.0f);
    if (gReentrantEffect && opcode == audioMasterEndEdit)
        gReentrantEffect->dispatcher(gReentrantEffect, effEditClose, 0, 0, nullptr, 0.0f);
    return recordingHost(effect, opcode, index, value, ptr, opt);
}

TEST_F(EditorTest, AHostThatIdlesAndClosesTheEditorFromItsCallbacksIsServedSafely) {
    instance.reset(createEffectInstance(reentrantHost));
    effect = static_cast<KEffect*>(instance.get());
    aeffect = effect->getAeffect();
    gReentrantEffect = aeffect;
    ASSERT_TRUE(open());
    host->moveTo(kWave1Dial.x, kWave1Dial.y);
    host->press(1);
    host->moveTo(kWave1Dial.x, kWave1Dial.y - 10);
    host->release(1);
    host->sync();
    const bool closed = idleUntil([&] { return !editor().isOpen(); });
    gReentrantEffect = nullptr;
    ASSERT_TRUE(closed);
    EXPECT_EQ(hostCalls().back(), end(param("Wave1")));
    EXPECT_EQ(editor().windowSystem(), nullptr);
    host->sync();
    EXPECT_EQ(host->child(), 0u);
}

TEST_F(EditorTest, OpenAnswersFalseWithoutADisplayOrAParentWindow) {
    const std::string display = getenv("DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_FALSE(open());
    setenv("DISPLAY", ":65000", 1);  // no server there
    EXPECT_FALSE(open());
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_FALSE(editor().isOpen());
    EXPECT_FALSE(effect->isEditorOpen());
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(0x3ffffff))), 0);  // no such window
    dispatch(effEditIdle);
    EXPECT_TRUE(open());
}

TEST_F(EditorTest, ASkinWhoseCanvasCannotBeHeldOpensNoWindow) {
    const std::string script = "Init 2000000000 2000000000 1\n";
    KMemorySource source(reinterpret_cast<const uint8_t*>(script.data()), script.size());
    useSkin(*effect, parseSkin(source, effect));
    ASSERT_TRUE(effect->getSkinEditor());
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, 32767);
    EXPECT_EQ(rect->bottom, 32767);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, host->parent()), 0);
    EXPECT_EQ(host->child(), 0u);
    dispatch(effEditIdle);
}

}  // namespace
}  // namespace kx::testing
