// The Win32 window binding seen from inside: the instrument of this
// program's own build with its editor in a host window, where the tests can
// watch what the DLL keeps to itself (the link launcher, the cursor, the
// keyboard hook).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "editor/editor_window.h"
#include "editor/link_launcher.h"
#include "plugin/effect.h"
#include "skin/skin.h"
// After the framework's headers, whose message names windows.h makes macros.
#include "editor/win32/keyboard_hook.h"
#include "win32_host.h"

namespace kx::testing {
namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::vector<std::string>& opened() {
    static std::vector<std::string> targets;
    return targets;
}

bool recordingLauncher(const char* target) {
    opened().emplace_back(target);
    return true;
}

class Win32BindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        opened().clear();
        previous = setLinkLauncher(recordingLauncher);
        instance.reset(static_cast<KEffect*>(createEffectInstance(quietHost)));
        ASSERT_TRUE(instance && instance->getSkinEditor());
        static HostWindow shared(instance->getSkin()->width(), instance->getSkin()->height());
        host = &shared;
        host->activate();
        aeffect = instance->getAeffect();
        ASSERT_EQ(aeffect->dispatcher(aeffect, effEditOpen, 0, 0, host->hwnd(), 0.0f), 1);
    }
    void TearDown() override {
        if (aeffect)
            aeffect->dispatcher(aeffect, effEditClose, 0, 0, nullptr, 0.0f);
        instance.reset();
        setLinkLauncher(previous);
        pumpMessages();
    }

    KEditorWindow& window() { return *instance->getSkinEditor()->window(); }
    HWND editor() const { return host->child(); }
    void openBox() {
        click(editor(), 220, 182);  // the Detune1 read-out
        ASSERT_TRUE(pumpUntil([&] { return window().textEntry().isOpen(); }));
    }

    KLinkLauncher previous = nullptr;
    std::unique_ptr<KEffect> instance;
    AEffect* aeffect = nullptr;
    HostWindow* host = nullptr;
};

TEST_F(Win32BindingTest, ALinkOpensThroughTheLauncherAndCapturesNothing) {
    click(editor(), 265, 11);  // the second page's tab
    ASSERT_EQ(instance->getSkin()->GetPage(), 2);
    click(editor(), 80, 27);  // the first link there
    ASSERT_EQ(opened().size(), 1u);
    EXPECT_EQ(opened()[0], "https://tamlow.example/kelvox2");
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Win32BindingTest, TheWindowShowsTheCursorOfTheControlUnderThePointer) {
    const auto cursorAt = [&](int x, int y) {
        post(editor(), WM_MOUSEMOVE, 0, x, y);
        pumpMessages();
        SendMessageA(editor(), WM_SETCURSOR, reinterpret_cast<WPARAM>(editor()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    EXPECT_EQ(cursorAt(90, 150), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND))) << "a dial";
    EXPECT_EQ(cursorAt(220, 182), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_IBEAM))) << "a read-out";
    EXPECT_EQ(cursorAt(640, 20), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW))) << "empty space";
}

TEST_F(Win32BindingTest, TheBoxHasTheSkinsFontAndItsHookLastsExactlyAsLongAsTheBox) {
    ASSERT_NO_FATAL_FAILURE(openBox());
    const HWND box = FindWindowExA(editor(), nullptr, "Edit", nullptr);
    EXPECT_EQ(win32::keyboardHolder(), box);
    EXPECT_EQ(SendMessageA(box, EM_GETLIMITTEXT, 0, 0), 255);
    LOGFONTA font{};
    EXPECT_EQ(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)), sizeof font, &font),
              int(sizeof font))
        << "the skin's font as a GDI font";
    typeKey(VK_ESCAPE);
    ASSERT_TRUE(pumpUntil([&] { return !window().textEntry().isOpen(); }));
    EXPECT_EQ(win32::keyboardHolder(), nullptr);

    ASSERT_NO_FATAL_FAILURE(openBox());
    aeffect->dispatcher(aeffect, effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(win32::keyboardHolder(), nullptr) << "closed with the editor";

    ASSERT_EQ(aeffect->dispatcher(aeffect, effEditOpen, 0, 0, host->hwnd(), 0.0f), 1);
    ASSERT_NO_FATAL_FAILURE(openBox());
    instance.reset();
    aeffect = nullptr;
    EXPECT_EQ(win32::keyboardHolder(), nullptr) << "gone with the instrument";
    EXPECT_EQ(host->childCount(), 0);
}

TEST_F(Win32BindingTest, ApplicationMessagesTravelUpToTheHostsWindow) {
    const int before = host->appMessagesHeard;
    SendMessageA(editor(), 0x8123, 1, 2);
    EXPECT_EQ(host->appMessagesHeard, before + 1);
}

}  // namespace
}  // namespace kx::testing
