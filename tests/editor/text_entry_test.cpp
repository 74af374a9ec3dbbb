// The text box over a value read-out, typed into as a user types: keys from
// the keyboard (its own X focus and grab) and from the host's key requests,
// Return, Escape, a click elsewhere, the clipboard.
#include <X11/keysym.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "editor/text_field.h"
#include "editor_fixture.h"

namespace kx::testing {
namespace {

class TextEntryTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        if (HasFatalFailure())
            return;
        detune = param("Detune1");
        ASSERT_TRUE(open());
        // The host's window has the keyboard, as in a DAW.
        XSetInputFocus(host->display(), host->window(), RevertToParent, CurrentTime);
        host->sync();
    }

    KTextEntry& entry() { return window().textEntry(); }

    void openBox() {
        host->click(kDetune1Value.x, kDetune1Value.y);
        ASSERT_TRUE(idleUntil([&] { return entry().isOpen(); }));
        hostCalls().clear();
    }
    void closedBy(unsigned long keysym) {
        host->key(keysym);
        ASSERT_TRUE(idleUntil([&] { return !entry().isOpen(); }));
    }

    // The value the parameter stores when it reads the text (text it cannot
    // read keeps the present value).
    double readingOf(const char* text) {
        auto other = kelvox2::createInProcessInstrument();
        other->setParameterValue(detune, value(detune));
        other->getBank().setFromText(other->getCurrentProgram(), detune, text);
        return other->getParameterValue(detune);
    }

    // Whether another client could take the keyboard now.
    bool keyboardIsFree() {
        bool free = XGrabKeyboard(host->display(), host->window(), False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
                    GrabSuccess;
        XUngrabKeyboard(host->display(), CurrentTime);
        host->sync();
        return free;
    }

    Window xFocus() {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(host->display(), &focus, &revert);
        return focus;
    }

    // A commit is one gesture for the host: begin, the new value, end.
    void expectOneGesture(double after) {
        ASSERT_EQ(hostCalls(), (std::vector<HostCall>{begin(detune), automate(detune), end(detune)}));
        EXPECT_EQ(hostCalls()[1].value, static_cast<float>(after));
    }

    int detune = -1;
};

TEST_F(TextEntryTest, OpensOverTheReadOutWithTheKeyboardAndAllTextSelected) {
    openBox();
    Window box = entry().hwnd();
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(host->display(), box, &a));
    EXPECT_EQ(a.x, 190);
    EXPECT_EQ(a.y, 175);
    EXPECT_EQ(a.width, 60);
    EXPECT_EQ(a.height, 15);
    EXPECT_EQ(xFocus(), box);
    EXPECT_TRUE(system()->holdsKeyboard());
    EXPECT_FALSE(keyboardIsFree());
    auto* field = static_cast<KTextField*>(system()->extraData(box));
    ASSERT_NE(field, nullptr);
    EXPECT_STREQ(field->text(), effect->getBank().valueText(0, detune));
    EXPECT_EQ(field->selectionStart(), 0);
    EXPECT_EQ(field->selectionEnd(), field->length());
}

TEST_F(TextEntryTest, ReturnCommitsTheTypedValueAsOneGestureAndGivesTheKeyboardBack) {
    const double before = value(detune);
    openBox();
    host->type("12");
    closedBy(XK_Return);
    EXPECT_STREQ(entry().committedText(), "12");
    EXPECT_EQ(value(detune), readingOf("12"));
    EXPECT_NE(value(detune), before);
    expectOneGesture(value(detune));
    EXPECT_FALSE(system()->holdsKeyboard());
    EXPECT_TRUE(keyboardIsFree());
    EXPECT_EQ(xFocus(), host->window());
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

// The box shows the rounded display text: opening and closing it without
// typing must neither move the value nor tell the host of a change.
TEST_F(TextEntryTest, ClosingTheBoxUneditedKeepsTheExactValueAndTellsTheHostNothing) {
    const double exact = 0.123456789;
    ASSERT_NE(readingOf("-75"), exact);
    for (bool byClick : {false, true}) {
        SCOPED_TRACE(byClick ? "a click elsewhere" : "Return");
        effect->setParameterValue(detune, exact);
        openBox();
        if (byClick) {
            host->click(kEmptySpace.x, kEmptySpace.y);
            ASSERT_TRUE(idleUntil([&] { return !entry().isOpen(); }));
        } else {
            closedBy(XK_Return);
        }
        EXPECT_EQ(value(detune), exact);
        EXPECT_TRUE(hostCalls().empty());
    }
    // Moving the caret is no edit either; deleting a character and typing
    // it again is, even though the text reads the same.
    openBox();
    host->key(XK_End);
    closedBy(XK_Return);
    EXPECT_EQ(value(detune), exact);
    EXPECT_TRUE(hostCalls().empty());
    openBox();
    const std::string shown = effect->getBank().valueText(0, detune);
    host->key(XK_End);
    host->key(XK_BackSpace);
    host->type(shown.substr(shown.size() - 1).c_str());
    closedBy(XK_Return);
    EXPECT_EQ(value(detune), readingOf(shown.c_str()));
    expectOneGesture(value(detune));
    // Typed once more, the same value is no change for the host.
    openBox();
    host->type(shown.c_str());
    closedBy(XK_Return);
    EXPECT_TRUE(hostCalls().empty());
}

TEST_F(TextEntryTest, EscapeLeavesTheParameterUnchangedAndRepaints) {
    const double before = value(detune);
    openBox();
    host->type("99");
    closedBy(XK_Escape);
    EXPECT_EQ(value(detune), before);
    EXPECT_TRUE(hostCalls().empty());
    EXPECT_TRUE(keyboardIsFree());
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

TEST_F(TextEntryTest, AClickElsewhereOnTheEditorCommits) {
    const double before = value(detune);
    openBox();
    host->type("7");
    host->click(kEmptySpace.x, kEmptySpace.y);
    ASSERT_TRUE(idleUntil([&] { return !entry().isOpen(); }));
    EXPECT_EQ(value(detune), readingOf("7"));
    EXPECT_NE(value(detune), before);
    expectOneGesture(value(detune));
    EXPECT_TRUE(keyboardIsFree());
}

TEST_F(TextEntryTest, AClickOutsideTheEditorCommitsAndReleasesTheKeyboard) {
    openBox();
    host->type("3");
    // Somewhere on the screen that is not the editor.
    host->click(width + 50, 20);
    ASSERT_TRUE(idleUntil([&] { return !entry().isOpen(); }));
    EXPECT_EQ(value(detune), readingOf("3"));
    EXPECT_TRUE(keyboardIsFree());
    // The pointer is free again too.
    EXPECT_EQ(XGrabPointer(host->display(), host->window(), False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                           None, CurrentTime),
              GrabSuccess);
    XUngrabPointer(host->display(), CurrentTime);
}

TEST_F(TextEntryTest, TextTheParameterCannotReadIsCommittedAsTheParameterReadsIt) {
    effect->setParameterValue(detune, 0.9);
    openBox();
    host->type("abc");
    closedBy(XK_Return);
    EXPECT_STREQ(entry().committedText(), "abc");
    EXPECT_EQ(value(detune), readingOf("abc"));
    // A value that stayed is no change for the host.
    EXPECT_EQ(hostCalls().size(), value(detune) == 0.9 ? 0u : 3u);
}

TEST_F(TextEntryTest, HostChangesAreNotPaintedWhileTheBoxIsOpenAndArePaintedAfter) {
    openBox();
    const auto withBox = onScreen();
    aeffect->setParameter(aeffect, param("Wave1"), 1.0f);
    aeffect->setParameter(aeffect, param("MainLvl"), 0.1f);
    for (int i = 0; i < 10; ++i) {
        idle();
        usleep(10000);
    }
    EXPECT_EQ(differing(onScreen(), withBox), 0u);
    closedBy(XK_Escape);
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

TEST_F(TextEntryTest, KeysTheHostForwardsReachTheBoxWhileItIsOpen) {
    VstKeyCode none{};
    EXPECT_FALSE(editor().onKeyDown(none));
    EXPECT_EQ(dispatch(effEditKeyDown, '5'), 0);
    openBox();
    EXPECT_EQ(dispatch(effEditKeyDown, '-'), 1);
    EXPECT_EQ(dispatch(effEditKeyUp, '-'), 1);
    EXPECT_EQ(dispatch(effEditKeyDown, '4'), 1);
    EXPECT_EQ(dispatch(effEditKeyDown, '0'), 1);
    EXPECT_EQ(dispatch(effEditKeyDown, 0, 1 /* VKEY_BACK */), 1);
    EXPECT_EQ(dispatch(effEditKeyDown, 0, 4 /* VKEY_RETURN */), 1);
    EXPECT_FALSE(entry().isOpen());
    EXPECT_STREQ(entry().committedText(), "-4");
    EXPECT_EQ(value(detune), readingOf("-4"));
    EXPECT_EQ(dispatch(effEditKeyDown, 0, 4), 0);
}

TEST_F(TextEntryTest, ControlVPastesTheClipboardsFirstLine) {
    ClipboardOwner clipboard("-12.5\nsecond line");
    ASSERT_TRUE(clipboard.owns());
    openBox();
    host->key(XK_v, false, true);
    closedBy(XK_Return);
    EXPECT_STREQ(entry().committedText(), "-12.5");
    EXPECT_EQ(value(detune), readingOf("-12.5"));
}

TEST_F(TextEntryTest, TheBoxHoldsAtMost255Characters) {
    openBox();
    for (int i = 0; i < 300; ++i)
        dispatch(effEditKeyDown, '1');
    dispatch(effEditKeyDown, 0, 4 /* VKEY_RETURN */);
    EXPECT_EQ(std::strlen(entry().committedText()), 255u);
}

TEST_F(TextEntryTest, TheHostHidingTheEditorWhileTypingCommitsTheBoxAndRepaintingResumes) {
    openBox();
    host->type("5");
    auto* field = static_cast<KTextField*>(system()->extraData(entry().hwnd()));
    ASSERT_TRUE(idleUntil([&] { return std::strcmp(field->text(), "5") == 0; }));
    // The server ends the box's grabs with its window out of sight.
    XUnmapWindow(host->display(), host->window());
    host->sync();
    ASSERT_TRUE(idleUntil([&] { return !entry().isOpen(); }));
    EXPECT_EQ(value(detune), readingOf("5"));
    expectOneGesture(value(detune));
    EXPECT_FALSE(system()->holdsKeyboard());
    EXPECT_FALSE(skin().repaintSuspended());
    // Shown again, it shows the host's changes.
    XMapWindow(host->display(), host->window());
    aeffect->setParameter(aeffect, param("Wave1"), 1.0f);
    host->sync();
    EXPECT_TRUE(idleUntil([&] { return differing(onScreen(), headless()) == 0; }));
}

TEST_F(TextEntryTest, AHostThatStopsCallingIdleGetsTheKeyboardBackAfterASecondUntilItIdlesAgain) {
    const double before = value(detune);
    openBox();
    host->type("4");
    auto* field = static_cast<KTextField*>(system()->extraData(entry().hwnd()));
    ASSERT_TRUE(idleUntil([&] { return std::strcmp(field->text(), "4") == 0; }));
    const auto lastIdle = std::chrono::steady_clock::now();
    // A modal dialog of the host's: no idle while it is up.
    ASSERT_TRUE(waitFor([&] { return keyboardIsFree(); }, [] { usleep(20000); }));
    EXPECT_GE(std::chrono::steady_clock::now() - lastIdle, std::chrono::milliseconds(900));
    EXPECT_TRUE(entry().isOpen());
    EXPECT_TRUE(hostCalls().empty()) << "nothing committed";
    EXPECT_EQ(value(detune), before);
    // Idle again: the box has the keyboard back, and typing goes on.
    idle();
    EXPECT_FALSE(keyboardIsFree());
    host->type("2");
    closedBy(XK_Return);
    EXPECT_EQ(value(detune), readingOf("42"));
    EXPECT_TRUE(keyboardIsFree());
}

TEST_F(TextEntryTest, ClosingTheEditorWhileTypingCommitsAndFreesTheKeyboard) {
    openBox();
    host->type("8");
    host->sync();
    idle();
    dispatch(effEditClose);
    EXPECT_EQ(value(detune), readingOf("8"));
    EXPECT_TRUE(keyboardIsFree());
}

}  // namespace
}  // namespace kx::testing
