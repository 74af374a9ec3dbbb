// The window framework's logic: every message reaches its handler, every
// default passes its message on unchanged, a throwing handler answers -1,
// and application messages travel up to the parent window.
#include <stdexcept>

#include "editor_fixture.h"

namespace kx::testing {
namespace {

struct Message {
    unsigned message;
    KWParam wParam;
    KLParam lParam;
    bool operator==(const Message& o) const { return message == o.message && wParam == o.wParam && lParam == o.lParam; }
};

// Records what reaches default processing.
class RecordingWindow : public KWindow {
public:
    KLResult defaultProcessing(unsigned message, KWParam wParam, KLParam lParam) override {
        passedOn.push_back({message, wParam, lParam});
        return KWindow::defaultProcessing(message, wParam, lParam);
    }
    KLResult onAppMessage(unsigned message, KWParam wParam, KLParam lParam) override {
        appMessages.push_back({message, wParam, lParam});
        return 42;
    }
    KLResult onPaint() override {
        if (throwOnPaint)
            throw std::runtime_error("paint failed");
        return KWindow::onPaint();
    }
    std::vector<Message> passedOn;
    std::vector<Message> appMessages;
    bool throwOnPaint = false;
};

TEST(WindowDispatch, EveryDefaultPassesItsMessageOnUnchanged) {
    const Message messages[] = {
        {WM_ACTIVATE, makeWParam(2, 1), 0x1234},
        {WM_CAPTURECHANGED, 0, 0x400001},
        {WM_CLOSE, 0, 0},
        {WM_COMMAND, makeWParam(17, 3), 0x400002},
        {WM_CREATE, 0, 0x7000},
        {WM_CTLCOLOREDIT, 5, 6},
        {WM_CTLCOLORSTATIC, 7, 8},
        {WM_DEVICECHANGE, 9, 10},
        {WM_DESTROY, 0, 0},
        {WM_ENABLE, 1, 0},
        {WM_ERASEBKGND, 0x99, 0},
        {WM_GETDLGCODE, 0, 11},
        {WM_GETMINMAXINFO, 0, 12},
        {WM_INITDIALOG, 13, 14},
        {WM_KEYDOWN, VK_RETURN, 1},
        {WM_KEYUP, VK_ESCAPE, kKeyUpFlags},
        {WM_KILLFOCUS, 0x400003, 0},
        {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, makeLParam(-5, 300)},
        {WM_LBUTTONUP, MK_CONTROL, makeLParam(65535, 1)},
        {WM_MOUSEMOVE, MK_RBUTTON, makeLParam(-32768, -1)},
        {WM_NCCREATE, 0, 0x7100},
        {WM_NOTIFY, 15, 16},
        {WM_PAINT, 0, 0},
        {WM_RBUTTONDOWN, MK_RBUTTON, makeLParam(1, 2)},
        {WM_RBUTTONUP, 0, makeLParam(3, 4)},
        {WM_SETFOCUS, 0x400004, 0},
        {WM_SHOWWINDOW, 1, 0},
        {WM_SIZE, 0, makeLParam(665, 407)},
        {WM_SYSCOMMAND, 0xF060, makeLParam(10, 20)},
        {WM_TIMER, 77, 0},
        {WM_USER + 5, 18, 19},
        {0x7FFF, 20, 21},
        {0xC123, 22, 23},  // registered messages take default processing
        {WM_MBUTTONDOWN, 0, 0},
        {WM_MOUSEWHEEL, makeWParam(0, 120), 0},
    };
    RecordingWindow window;
    for (const Message& m : messages) {
        window.passedOn.clear();
        window.dispatch(m.message, m.wParam, m.lParam);
        ASSERT_EQ(window.passedOn.size(), 1u) << std::hex << m.message;
        EXPECT_TRUE(window.passedOn[0] == m) << std::hex << m.message << " became " << window.passedOn[0].message << " "
                                             << window.passedOn[0].wParam << " " << window.passedOn[0].lParam;
    }
}

TEST(WindowDispatch, ApplicationMessagesGoToTheirOwnHandler) {
    RecordingWindow window;
    EXPECT_EQ(window.dispatch(0x8123, 1, 2), 42);
    EXPECT_EQ(window.dispatch(0xBFFF, 3, 4), 42);
    EXPECT_TRUE(window.passedOn.empty());
    ASSERT_EQ(window.appMessages.size(), 2u);
    EXPECT_TRUE((window.appMessages[0] == Message{0x8123, 1, 2}));
}

TEST(WindowDispatch, MouseHandlersReceiveSignedPointsAndTheKeysWord) {
    struct PointWindow : KWindow {
        KLResult onMouseMove(unsigned k, int px, int py) override {
            keys = k;
            x = px;
            y = py;
            return 0;
        }
        unsigned keys = 0;
        int x = 0, y = 0;
    } window;
    window.dispatch(WM_MOUSEMOVE, 0x10000 | MK_LBUTTON | MK_SHIFT, makeLParam(-12, -40000 + 65536));
    EXPECT_EQ(window.keys, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(window.x, -12);
    EXPECT_EQ(window.y, 25536);
}

class WindowSystemTest : public EditorTest {};

TEST_F(WindowSystemTest, AHandlerThatThrowsAnswersMinusOneAndTheWindowLivesOn) {
    auto system = connectWindowSystem();
    ASSERT_TRUE(system);
    RecordingWindow window;
    window.create(*system, host->window());
    ASSERT_TRUE(window.isLive());
    window.throwOnPaint = true;
    EXPECT_EQ(system->sendMessage(window.hwnd(), WM_PAINT, 0, 0), -1);
    EXPECT_TRUE(window.isLive());
    window.destroyWindow();
    EXPECT_FALSE(window.isLive());
}

TEST_F(WindowSystemTest, AnApplicationMessageToTheEditorWindowGoesUpToItsParent) {
    auto system = connectWindowSystem();
    ASSERT_TRUE(system);
    RecordingWindow parent;
    parent.create(*system, host->window());
    ASSERT_TRUE(parent.isLive());
    KEditorWindow editorWindow(effect->getSkin());
    editorWindow.create(*system, parent.hwnd());
    ASSERT_TRUE(editorWindow.isLive());
    EXPECT_EQ(system->sendMessage(editorWindow.hwnd(), 0x8123, 5, 6), 42);
    ASSERT_EQ(parent.appMessages.size(), 1u);
    EXPECT_TRUE((parent.appMessages[0] == Message{0x8123, 5, 6}));
    editorWindow.destroyWindow();
    parent.destroyWindow();
}

TEST_F(WindowSystemTest, WindowsOfOneModuleShareOneClassNamedAfterIt) {
    auto system = connectWindowSystem();
    ASSERT_TRUE(system);
    RecordingWindow a, b;
    a.create(*system, host->window());
    b.create(*system, host->window());
    EXPECT_STREQ(a.className(), b.className());
    EXPECT_EQ(std::string(a.className()).rfind("KWinClass_0x", 0), 0u);
    EXPECT_NE(a.hwnd(), b.hwnd());
}

}  // namespace
}  // namespace kx::testing
