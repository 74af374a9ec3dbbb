// The editor of Kelvox2.dll in a Windows host: the DLL loaded as a host
// loads it, its editor opened in a top-level window of this program and used
// as a user uses it (mouse messages to the editor's window, keys through the
// keyboard), the host's callback recording the edits, and the window's
// pixels compared with what the skin paints headless for the same state.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/canvas.h"
#include "plugin/effect.h"
#include "plugin/vst_abi.h"
#include "skin/skin.h"
#include "skin/skin_window.h"
// After the framework's headers, whose message names windows.h makes macros.
#include "scratch_folder.h"
#include "win32_host.h"

namespace kx::testing {
namespace {

// Places on the built-in skin, in editor-window pixels.
struct SkinPoint {
    int x, y;
};
constexpr SkinPoint kWave1Dial{90, 150};      // KPotDot Wave1 at 70 130 40 40 (page 1)
constexpr SkinPoint kDetune1Value{220, 182};  // KValue Detune1 at 190 175 60 15 (page 1)
constexpr SkinPoint kEmptySpace{640, 20};     // no control there
constexpr SkinPoint kPage2Tab{265, 11};       // KPageSelHlt 2 at 243 3 44 16
constexpr SkinPoint kFirstLink{80, 27};       // KUrl at 0 0 165 55 (page 2)

// What the host heard: the opcode and the parameter index of each edit report.
std::vector<std::pair<int, int>>& edits() {
    static std::vector<std::pair<int, int>> heard;
    return heard;
}

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return 44100;
    case audioMasterGetBlockSize: return 256;
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit: edits().emplace_back(opcode, index); return 1;
    default: return 0;
    }
}

// The instrument of this program's own build, for what the DLL's should show.
std::unique_ptr<KEffect> inProcessInstrument() {
    return std::unique_ptr<KEffect>(static_cast<KEffect*>(createEffectInstance(recordingHost)));
}

class HeadlessWindow : public KSkinWindow {
public:
    bool isLive() const override { return true; }
    void invalidate() override {}
};

// Kelvox2.dll, loaded and entered as a host does.
class Plugin {
public:
    Plugin() {
        module_ = LoadLibraryA(windowsPath(KX_PLUGIN_PATH).c_str());
        auto entry =
            module_
                ? reinterpret_cast<VstPluginMainProc>(reinterpret_cast<void*>(GetProcAddress(module_, "VSTPluginMain")))
                : nullptr;
        effect_ = entry ? entry(recordingHost) : nullptr;
    }
    ~Plugin() {
        if (effect_)
            dispatch(effClose);
        if (module_)
            FreeLibrary(module_);
    }
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    bool ok() const { return effect_ != nullptr; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, 0.0f);
    }
    float parameter(int index) { return effect_->getParameter(effect_, index); }
    std::pair<int, int> editorSize() {
        ERect* rect = nullptr;
        if (!dispatch(effEditGetRect, 0, 0, &rect) || !rect)
            return {0, 0};
        return {rect->right - rect->left, rect->bottom - rect->top};
    }
    void render(int frames) {
        std::vector<float> out(size_t(frames), 0.0f);
        float* outputs[1] = {out.data()};
        dispatch(effMainsChanged, 0, 1);
        effect_->processReplacing(effect_, nullptr, outputs, frames);
    }

private:
    HMODULE module_ = nullptr;
    AEffect* effect_ = nullptr;
};

class WindowsEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        edits().clear();
        plugin = std::make_unique<Plugin>();
        ASSERT_TRUE(plugin->ok());
        std::tie(width, height) = plugin->editorSize();
        ASSERT_GT(width, 0);
        // One host window for the tests that leave it standing.
        static HostWindow shared(width, height);
        host = &shared;
        ASSERT_TRUE(host->ok());
        host->activate();
        detune = reference->findParameter("Detune1");
        wave = reference->findParameter("Wave1");
        ASSERT_GE(detune, 0);
        ASSERT_GE(wave, 0);
    }
    void TearDown() override {
        if (plugin)
            plugin->dispatch(effEditClose);
        plugin.reset();
        pumpMessages();
    }

    bool open() { return plugin->dispatch(effEditOpen, 0, 0, host->hwnd()) == 1; }
    void idle() { plugin->dispatch(effEditIdle); }
    HWND editor() const { return host->child(); }
    HWND box() const { return editor() ? FindWindowExA(editor(), nullptr, "Edit", nullptr) : nullptr; }
    bool boxOpen() const { return box() && IsWindowVisible(box()); }
    // Lets the host's loop and idle run until the refresh throttle has passed.
    void settle() {
        for (int i = 0; i < 8; ++i) {
            pumpMessages();
            idle();
            Sleep(10);
        }
        pumpMessages();
    }

    void openBox() {
        click(editor(), kDetune1Value.x, kDetune1Value.y);
        ASSERT_TRUE(pumpUntil([&] { return boxOpen(); }));
        edits().clear();
    }
    // Types on the keyboard and lets the host's loop deliver it.
    void typeAndPump(const char* text, WORD finalKey = 0) {
        typeText(text);
        if (finalKey)
            typeKey(finalKey);
        pumpMessages();
    }

    // The value the parameter stores when it reads the text.
    double readingOf(const char* text) {
        auto other = inProcessInstrument();
        other->getBank().setFromText(other->getCurrentProgram(), detune, text);
        return other->getParameterValue(detune);
    }

    // What the skin paints headless for the DLL's present values on a page.
    std::vector<uint32_t> headless(int page) {
        auto other = inProcessInstrument();
        for (int i = 0; i < other->getParamList().count(); ++i)
            other->setParameterValue(i, plugin->parameter(i));
        KSkin& skin = *other->getSkin();
        HeadlessWindow window;
        skin.setWindow(&window);
        skin.WindowOpened();
        KCanvas canvas(width, height);
        skin.ResetCanvas(canvas);
        skin.SetPage(page);
        skin.Paint(canvas);
        skin.setWindow(nullptr);
        std::vector<uint32_t> out(canvas.pixels(), canvas.pixels() + size_t(width) * size_t(height));
        for (uint32_t& p : out)
            p &= 0xFFFFFF;
        return out;
    }
    std::vector<uint32_t> onScreen() { return windowPixels(editor(), width, height); }
    static size_t differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        if (a.empty() || a.size() != b.size())
            return std::max<size_t>(std::max(a.size(), b.size()), 1);
        size_t n = 0;
        for (size_t i = 0; i < a.size(); ++i)
            n += a[i] != b[i];
        return n;
    }

    std::unique_ptr<KEffect> reference = inProcessInstrument();
    std::unique_ptr<Plugin> plugin;
    HostWindow* host = nullptr;
    int width = 0, height = 0;
    int detune = -1, wave = -1;
};

TEST_F(WindowsEditorTest, OpensAsAChildOfTheHostWindowAtTheOriginWithTheSkinsSize) {
    plugin->render(512);
    ASSERT_TRUE(open());
    ASSERT_EQ(host->childCount(), 1);
    EXPECT_EQ(GetParent(editor()), host->hwnd());
    EXPECT_EQ(GetWindowLongA(editor(), GWL_STYLE) & 0x50000000, 0x50000000);
    RECT client{};
    GetClientRect(editor(), &client);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    RECT placed{};
    GetWindowRect(editor(), &placed);
    MapWindowPoints(nullptr, host->hwnd(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
    char name[128] = {};
    GetClassNameA(editor(), name, sizeof name);
    EXPECT_EQ(std::strncmp(name, "KWinClass_", 10), 0) << name;
}

TEST_F(WindowsEditorTest, TheWindowShowsWhatTheSkinPaintsHeadlessOnBothPages) {
    ASSERT_TRUE(open());
    settle();
    EXPECT_EQ(differing(onScreen(), headless(1)), 0u);
    click(editor(), kPage2Tab.x, kPage2Tab.y);
    settle();
    const auto shown = onScreen();
    EXPECT_EQ(differing(shown, headless(2)), 0u) << "the page tab switches the page";
    EXPECT_GT(differing(shown, headless(1)), 1000u);
}

TEST_F(WindowsEditorTest, ADialDragChangesTheParameterAndTheHostHearsBeginAutomateEnd) {
    ASSERT_TRUE(open());
    const float before = plugin->parameter(wave);
    const HWND window = editor();
    post(window, WM_MOUSEMOVE, 0, kWave1Dial.x, kWave1Dial.y);
    post(window, WM_LBUTTONDOWN, MK_LBUTTON, kWave1Dial.x, kWave1Dial.y);
    pumpMessages();
    EXPECT_EQ(GetCapture(), window) << "the press captures the mouse";
    for (int dy = 5; dy <= 40; dy += 5) {
        post(window, WM_MOUSEMOVE, MK_LBUTTON, kWave1Dial.x, kWave1Dial.y - dy);
        pumpMessages();
        idle();
    }
    post(window, WM_LBUTTONUP, 0, kWave1Dial.x, kWave1Dial.y - 40);
    pumpMessages();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_NE(plugin->parameter(wave), before);

    std::vector<int> heard;
    for (const auto& [opcode, index] : edits())
        if (index == wave)
            heard.push_back(opcode);
    ASSERT_GE(heard.size(), 3u);
    EXPECT_EQ(heard.front(), audioMasterBeginEdit);
    EXPECT_EQ(heard.back(), audioMasterEndEdit);
    for (size_t i = 1; i + 1 < heard.size(); ++i)
        EXPECT_EQ(heard[i], audioMasterAutomate) << i;

    settle();
    EXPECT_EQ(differing(onScreen(), headless(1)), 0u) << "the dial and its read-out show the new value";
}

TEST_F(WindowsEditorTest, LosingTheCaptureEndsADrag) {
    ASSERT_TRUE(open());
    post(editor(), WM_LBUTTONDOWN, MK_LBUTTON, kWave1Dial.x, kWave1Dial.y);
    pumpMessages();
    ASSERT_EQ(GetCapture(), editor());
    SetCapture(host->hwnd());  // WM_CAPTURECHANGED to the editor
    pumpMessages();
    ASSERT_FALSE(edits().empty());
    EXPECT_EQ(edits().back().first, audioMasterEndEdit);
    const float after = plugin->parameter(wave);
    post(editor(), WM_MOUSEMOVE, MK_LBUTTON, kWave1Dial.x, kWave1Dial.y - 40);
    pumpMessages();
    EXPECT_EQ(plugin->parameter(wave), after) << "moves after the loss drag nothing";
    ReleaseCapture();
}

TEST_F(WindowsEditorTest, AHostWindowThatTakesTheCaptureAndTheFocusDuringADragKeepsThem) {
    ASSERT_TRUE(open());
    post(editor(), WM_LBUTTONDOWN, MK_LBUTTON, kWave1Dial.x, kWave1Dial.y);
    pumpMessages();
    ASSERT_EQ(GetCapture(), editor());
    // The host starts a drag of its own: it takes the capture, and then the
    // keyboard focus.
    SetCapture(host->hwnd());
    pumpMessages();
    EXPECT_EQ(GetCapture(), host->hwnd()) << "the editor's lost capture freed the host's";
    SetFocus(host->hwnd());
    pumpMessages();
    EXPECT_EQ(GetCapture(), host->hwnd()) << "the editor's lost focus freed the host's capture";
    ASSERT_FALSE(edits().empty());
    EXPECT_EQ(edits().back().first, audioMasterEndEdit);
    ReleaseCapture();
}

TEST_F(WindowsEditorTest, TheReadOutsBoxTakesATypedValueWithReturn) {
    ASSERT_TRUE(open());
    ASSERT_NO_FATAL_FAILURE(openBox());
    const HWND edit = box();
    EXPECT_EQ(GetParent(edit), editor());
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(GetWindowLongA(edit, GWL_STYLE) & 0x40000001, 0x40000001);
    char shown[64] = {};
    GetWindowTextA(edit, shown, sizeof shown);
    EXPECT_STREQ(shown, reference->getBank().valueText(reference->getCurrentProgram(), detune));
    DWORD from = 1, to = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, std::strlen(shown)) << "all of it selected";

    typeAndPump("7", VK_RETURN);
    ASSERT_TRUE(pumpUntil([&] { return !boxOpen(); }));
    EXPECT_DOUBLE_EQ(plugin->parameter(detune), static_cast<float>(readingOf("7")));
    std::vector<std::pair<int, int>> expected{{audioMasterAutomate, detune}, {audioMasterAutomate, detune}};
    EXPECT_EQ(edits(), expected) << "the value before and after";
    EXPECT_EQ(box(), nullptr) << "the box is made anew each time";
}

TEST_F(WindowsEditorTest, EscapeKeepsTheOldValueAndClickingElsewhereCommits) {
    ASSERT_TRUE(open());
    const float before = plugin->parameter(detune);
    ASSERT_NO_FATAL_FAILURE(openBox());
    typeAndPump("9", VK_ESCAPE);
    ASSERT_TRUE(pumpUntil([&] { return !boxOpen(); }));
    EXPECT_EQ(plugin->parameter(detune), before);
    EXPECT_TRUE(edits().empty());
    settle();
    EXPECT_EQ(differing(onScreen(), headless(1)), 0u) << "closing the box repaints the editor";

    ASSERT_NO_FATAL_FAILURE(openBox());
    typeAndPump("3");
    click(editor(), kEmptySpace.x, kEmptySpace.y);
    ASSERT_TRUE(pumpUntil([&] { return !boxOpen(); }));
    EXPECT_DOUBLE_EQ(plugin->parameter(detune), static_cast<float>(readingOf("3")));
}

// The keyboard hook hands the keys to the box as the host's loop fetches
// them, before the host can take them.
TEST_F(WindowsEditorTest, TheBoxGetsItsKeysInAHostThatTakesEveryKey) {
    ASSERT_TRUE(open());
    ASSERT_NO_FATAL_FAILURE(openBox());
    typeText("12");
    typeKey(VK_RETURN);
    pumpTakingKeys();
    ASSERT_TRUE(pumpUntil([&] { return !boxOpen(); }));
    EXPECT_DOUBLE_EQ(plugin->parameter(detune), static_cast<float>(readingOf("12")));
}

TEST_F(WindowsEditorTest, KeysGoToTheHostAgainOnceTheBoxIsClosed) {
    ASSERT_TRUE(open());
    ASSERT_NO_FATAL_FAILURE(openBox());
    typeAndPump("", VK_ESCAPE);
    ASSERT_TRUE(pumpUntil([&] { return !boxOpen(); }));
    SetFocus(host->hwnd());
    const int before = host->keysHeard;
    typeAndPump("a");
    EXPECT_TRUE(pumpUntil([&] { return host->keysHeard > before; }));
}

TEST_F(WindowsEditorTest, OpeningAndClosingManyTimesLeavesOneWindowOrNone) {
    for (int round = 0; round < 40; ++round) {
        ASSERT_TRUE(open()) << round;
        ASSERT_TRUE(open()) << "a second open keeps the one window";
        idle();
        pumpMessages();
        ASSERT_EQ(host->childCount(), 1) << round;
        if (round % 8 == 0) {
            ASSERT_NO_FATAL_FAILURE(openBox());
        }
        plugin->dispatch(effEditClose);
        pumpMessages();
        ASSERT_EQ(host->childCount(), 0) << round;
    }
    ASSERT_TRUE(open());
    settle();
    EXPECT_EQ(differing(onScreen(), headless(1)), 0u);
}

// A host that destroys its window first, with the text box open and its
// keyboard hook installed, then closes the editor and unloads the DLL: a
// hook left behind would call into the unloaded module at the next key.
TEST_F(WindowsEditorTest, AHostWindowDestroyedBeforeCloseLeavesNoHookBehind) {
    HostWindow first(width, height);
    HostWindow* const shared = host;
    host = &first;
    ASSERT_TRUE(open());
    ASSERT_NO_FATAL_FAILURE(openBox());
    first.destroy();
    plugin->dispatch(effEditClose);
    idle();
    plugin.reset();

    host = shared;
    host->activate();
    const int before = host->keysHeard;
    typeAndPump("b");
    EXPECT_TRUE(pumpUntil([&] { return host->keysHeard > before; }));
    // A hook left behind would have brought the module back to run it.
    EXPECT_EQ(GetModuleHandleA("Kelvox2.dll"), nullptr);
}

TEST_F(WindowsEditorTest, TwoInstancesShareTheClassAndOutliveEachOther) {
    Plugin second;
    ASSERT_TRUE(second.ok());
    HostWindow otherHost(width, height);
    ASSERT_TRUE(open());
    ASSERT_EQ(second.dispatch(effEditOpen, 0, 0, otherHost.hwnd()), 1);
    char a[128] = {}, b[128] = {};
    GetClassNameA(editor(), a, sizeof a);
    GetClassNameA(otherHost.child(), b, sizeof b);
    EXPECT_STREQ(a, b);

    second.dispatch(effEditClose);
    pumpMessages();
    // The class stays while this editor has its window, and comes back after.
    const float before = plugin->parameter(wave);
    post(editor(), WM_LBUTTONDOWN, MK_LBUTTON, kWave1Dial.x, kWave1Dial.y);
    post(editor(), WM_MOUSEMOVE, MK_LBUTTON, kWave1Dial.x, kWave1Dial.y - 30);
    post(editor(), WM_LBUTTONUP, 0, kWave1Dial.x, kWave1Dial.y - 30);
    pumpMessages();
    EXPECT_NE(plugin->parameter(wave), before);
    plugin->dispatch(effEditClose);
    ASSERT_EQ(second.dispatch(effEditOpen, 0, 0, otherHost.hwnd()), 1);
    EXPECT_EQ(otherHost.childCount(), 1);
    second.dispatch(effEditClose);
}

}  // namespace
}  // namespace kx::testing
