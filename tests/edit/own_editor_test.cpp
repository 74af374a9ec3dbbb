// `kelvox2 edit` hosting the instrument's own editor: its picture is the
// headless snapshot's, the dial and the text field drive it as a user would,
// and a skin under edit is shown again, parameters kept, when it changes.
#include "edit/edit_fixture.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

namespace kelvox2::testing {
namespace {

// Runs `kelvox2 snapshot` with the same events (pointer lines only).
Png snapshot(const std::vector<std::string>& extra) {
    std::string out = tempPath("snapshot.png");
    std::vector<std::string> args = {"snapshot"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(out);
    ToolProcess tool(args, "");
    tool.readAll();
    EXPECT_EQ(tool.wait(), 0) << tool.errors();
    Png png = readPng(out);
    std::remove(out.c_str());
    return png;
}

// The editor's window as the test's own client sees it on the screen.
Png windowPixels(Window window, int width, int height) {
    kx::x11::HostWindow viewer(1, 1, 2000, 2000);
    std::vector<uint32_t> words = viewer.pixels(window, width, height);
    Png png;
    if (words.size() != size_t(width) * height)
        return png;
    png.width = width;
    png.height = height;
    for (uint32_t w : words)
        png.rgb.insert(png.rgb.end(), {uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w)});
    return png;
}

// Polls the window until it shows `expected` (the editor repaints on its
// own time) or `seconds` pass.
bool showsWithin(Window window, const Png& expected, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        if (windowPixels(window, expected.width, expected.height) == expected)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

Window windowOf(const std::string& openLine) {
    return std::stoul(openLine.substr(openLine.rfind(' ') + 1), nullptr, 16);
}

using OwnEditorTest = EditToolTest;

TEST_F(OwnEditorTest, ScreenshotEqualsTheHeadlessSnapshot) {
    std::string shot = tempPath("own.png");
    ToolProcess tool({"edit", KX_PLUGIN_PATH, "--screenshot", shot, "--quit"}, display());
    tool.readAll();
    ASSERT_EQ(tool.wait(), 0) << tool.errors();
    EXPECT_EQ(tool.events().front(), "open 665 407 " + tool.events().front().substr(13));
    Png png = readPng(shot);
    EXPECT_EQ(png.width, 665);
    EXPECT_TRUE(png == snapshot({})) << "the window differs from the headless paint";
    std::remove(shot.c_str());
}

TEST_F(OwnEditorTest, DialDragReportsTheGestureAndShowsTheSnapshotsState) {
    std::string events = tempPath("dial.txt");
    // Oscillator 1's Detune dial (parameter 1), dragged up 20 pixels.
    writeFile(events, "down 219 150\nmove 219 145\nmove 219 140\nmove 219 130\nup 219 130\n");
    std::string shot = tempPath("dial.png");
    ToolProcess tool({"edit", KX_PLUGIN_PATH, "--events", events, "--screenshot", shot, "--quit"}, display());
    tool.readAll();
    ASSERT_EQ(tool.wait(), 0) << tool.errors();
    const std::vector<std::string> expected = {
        "begin-edit 1",        "automate 1 0.500000", "automate 1 0.550000", "automate 1 0.600000",
        "automate 1 0.700000", "automate 1 0.700000", "end-edit 1",          "close"};
    std::vector<std::string> got = tool.events();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(std::vector<std::string>(got.begin() + 1, got.end()), expected);

    Png png = readPng(shot);
    EXPECT_TRUE(png == snapshot({"--events", events})) << "the window differs from the headless paint";
    EXPECT_FALSE(png == snapshot({})) << "the drag changed nothing on the screen";
    std::remove(events.c_str());
    std::remove(shot.c_str());
}

// What the host hears after the events of `script`, the open line left out.
std::vector<std::string> hostHears(const std::string& display, const std::string& name, const std::string& script) {
    std::string events = tempPath(name);
    writeFile(events, script);
    ToolProcess tool({"edit", KX_PLUGIN_PATH, "--events", events, "--quit"}, display);
    tool.readAll();
    EXPECT_EQ(tool.wait(), 0) << tool.errors();
    std::remove(events.c_str());
    std::vector<std::string> got = tool.events();
    if (!got.empty())
        got.erase(got.begin());
    return got;
}

TEST_F(OwnEditorTest, TypedValueIsCommittedWithReturnAsOneGesture) {
    // A click on Detune's read-out opens the text field over it.
    EXPECT_EQ(hostHears(display(), "typed.txt", "down 219 182\nup 219 182\nwait 100\ntype 25\nkey Return\n"),
              (std::vector<std::string>{"begin-edit 1", "automate 1 0.626263", "end-edit 1", "close"}));
}

TEST_F(OwnEditorTest, TheBoxClosedWithoutTypingChangesNothingTheHostHears) {
    EXPECT_EQ(hostHears(display(), "untyped.txt", "down 219 182\nup 219 182\nwait 100\nkey Return\n"),
              (std::vector<std::string>{"close"}));
    EXPECT_EQ(hostHears(display(), "clicked.txt", "down 219 182\nup 219 182\nwait 100\ndown 640 20\nup 640 20\n"),
              (std::vector<std::string>{"close"}));
}

// Detune1's dial turned by the wheel: two steps (of 198) a notch, one with
// Shift; each burst one gesture, ended once the wheel rests.
TEST_F(OwnEditorTest, WheelTurnsTheDialUnderThePointerOneGesturePerBurst) {
    EXPECT_EQ(hostHears(display(), "wheel.txt",
                        "wheel up 219 150\nwheel up 219 150\nwait 600\nwheel down 219 150 shift\nwait 600\n"),
              (std::vector<std::string>{"begin-edit 1", "automate 1 0.510101", "automate 1 0.520202", "end-edit 1",
                                        "begin-edit 1", "automate 1 0.515152", "end-edit 1", "close"}));
}

// Over the background or a read-out the wheel is the host's, who may scroll
// its own view with it.
TEST_F(OwnEditorTest, WheelOverAnythingButADialReachesTheHostsWindow) {
    EXPECT_EQ(hostHears(display(), "host_wheel.txt", "wheel up 640 20\nwheel down 219 182\nwait 100\n"),
              (std::vector<std::string>{"host-wheel up", "host-wheel down", "close"}));
}

TEST_F(OwnEditorTest, ProgramBeyondTheBankIsRefused) {
    ToolProcess tool({"edit", KX_PLUGIN_PATH, "--program", "10"}, display());
    tool.readAll();
    EXPECT_EQ(tool.wait(), 2);
    EXPECT_NE(tool.errors().find("program 10 does not exist: the plug-in has 10 (0 to 9)"), std::string::npos)
        << tool.errors();
}

// A skin asking for more pixels than a canvas may hold: the editor refuses
// to open and the host carries on, for sizes a host rectangle can carry and
// sizes beyond it.
TEST_F(OwnEditorTest, SkinTooLargeToPaintLeavesTheEditorClosedAndTheHostRunning) {
    for (const char* init : {"Init 30000 30000 1\n", "Init 2147483647 2147483635 1\n"}) {
        SCOPED_TRACE(init);
        std::string skin = tempPath("huge.txt");
        writeFile(skin, std::string("AddResource white RGBColour 255 255 255\n") + init +
                            "AddControl 1 40 10 40 40 KPotDot Detune1 white 11 white\n");
        ToolProcess tool({"edit", KX_PLUGIN_PATH, "--skin", skin, "--quit"}, display());
        tool.readAll();
        EXPECT_EQ(tool.wait(), 1);
        EXPECT_NE(tool.errors().find("the plug-in's editor did not open"), std::string::npos) << tool.errors();
        std::remove(skin.c_str());
    }
}

const char* const kSkinA =
    "AddResource white RGBColour 255 255 255\n"
    "AddResource dot RGBColour 255 0 0\n"
    "Init 120 60 2\n"
    "BackgroundCol 0 0 80\n"
    "AddControl 0 0 0 20 10 KPageSelHlt 1 white\n"
    "AddControl 0 20 0 20 10 KPageSelHlt 2 white\n"
    "AddControl 1 40 10 40 40 KPotDot Detune1 white 11 dot\n";

// The author's edit: another colour, a larger window, the dial elsewhere.
const char* const kSkinB =
    "AddResource white RGBColour 255 255 255\n"
    "AddResource dot RGBColour 255 0 0\n"
    "Init 140 70 2\n"
    "BackgroundCol 80 0 0\n"
    "AddControl 0 0 0 20 10 KPageSelHlt 1 white\n"
    "AddControl 0 20 0 20 10 KPageSelHlt 2 white\n"
    "AddControl 1 90 20 40 40 KPotDot Detune1 white 11 dot\n";

bool errorsSayWithin(ToolProcess& tool, const std::string& text, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (tool.errors().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

TEST_F(OwnEditorTest, ChangedSkinIsShownAgainWithTheParametersKept) {
    std::string folder = tempPath("skin");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    std::string skin = folder + "/my skin.txt";
    writeFile(skin, kSkinA);
    std::string events = tempPath("skin_drag.txt");
    writeFile(events, "down 60 30\nmove 60 20\nup 60 20\n");
    // The same drag on the dial where the changed skin has it.
    std::string eventsB = tempPath("skin_drag_b.txt");
    writeFile(eventsB, "down 110 40\nmove 110 30\nup 110 30\n");

    // The tool stages the library in a private folder under TMPDIR.
    std::string stageRoot = tempPath("stage");
    ASSERT_EQ(::mkdir(stageRoot.c_str(), 0755), 0);
    ToolProcess tool({"edit", KX_PLUGIN_PATH, "--skin", skin, "--events", events}, display(), {"TMPDIR=" + stageRoot});
    std::string open = tool.waitFor("open ");
    ASSERT_EQ(open.compare(0, 12, "open 120 72 "), 0) << open << tool.errors();
    ASSERT_EQ(tool.waitFor("end-edit 1"), "end-edit 1") << tool.errors();
    const Window window = windowOf(open);
    EXPECT_TRUE(showsWithin(window, snapshot({"--skin", skin, "--events", events}), 3));

    // A broken save is reported and the skin shown stays.
    writeFile(skin, "Init 0 0 0\n");
    EXPECT_TRUE(errorsSayWithin(tool, "declares no size and pages (see kelvox2 check-skin); the editor keeps", 5))
        << tool.errors();
    // So does a skin that is gone for a moment, as some editors save.
    std::remove(skin.c_str());
    EXPECT_TRUE(errorsSayWithin(tool, "No such file or directory; the editor keeps", 5)) << tool.errors();

    // Saved by a rename, as editors do: the new skin shows at its size, the
    // dragged value kept.
    std::string part = folder + "/.my skin.txt.swp";
    writeFile(part, kSkinB);
    ASSERT_EQ(std::rename(part.c_str(), skin.c_str()), 0);
    EXPECT_EQ(tool.waitFor("reload ", 10), "reload 140 82") << tool.errors();
    EXPECT_TRUE(showsWithin(window, snapshot({"--skin", skin, "--events", eventsB}), 3)) << tool.errors();
    EXPECT_FALSE(showsWithin(window, snapshot({"--skin", skin}), 0)) << "the dragged value was lost";

    tool.signal(SIGINT);
    EXPECT_EQ(tool.waitFor("close", 10), "close");
    EXPECT_EQ(tool.wait(), 0) << tool.errors();
    EXPECT_EQ(::rmdir(stageRoot.c_str()), 0) << "the private folder was left behind";
    std::remove(skin.c_str());
    std::remove(events.c_str());
    std::remove(eventsB.c_str());
    ::rmdir(folder.c_str());
}

TEST_F(OwnEditorTest, ChangedPictureBesideTheSkinIsShownAgain) {
    std::string folder = tempPath("exported");
    ToolProcess exporter({"skin", "export", folder}, "");
    exporter.readAll();
    ASSERT_EQ(exporter.wait(), 0) << exporter.errors();
    std::string skin = folder + "/Kelvox2Skin.txt";
    ToolProcess tool({"edit", KX_PLUGIN_PATH, "--skin", skin}, display());
    std::string open = tool.waitFor("open ");
    ASSERT_FALSE(open.empty()) << tool.errors();
    const Window window = windowOf(open);
    EXPECT_TRUE(showsWithin(window, snapshot({"--skin", skin}), 3));

    // A new background picture: the editor's own picture, whose first frame
    // differs from the old one everywhere the controls leave it visible.
    std::string shot = folder + "/shot.part";
    ToolProcess painter({"snapshot", "--skin", skin, shot}, "");
    painter.readAll();
    ASSERT_EQ(painter.wait(), 0) << painter.errors();
    ASSERT_EQ(std::rename(shot.c_str(), (folder + "/Kelvox2.png").c_str()), 0);
    EXPECT_EQ(tool.waitFor("reload ", 10), "reload 665 407") << tool.errors();
    Png changed = snapshot({"--skin", skin});
    EXPECT_FALSE(changed == snapshot({})) << "the new picture changed nothing";
    EXPECT_TRUE(showsWithin(window, changed, 3)) << tool.errors();

    tool.signal(SIGINT);
    EXPECT_EQ(tool.wait(), 0) << tool.errors();
    for (const char* name :
         {"Kelvox2Skin.txt", "Kelvox2.png", "Kelvox2AutoLvl.png", "Kelvox2FullRnd.png", "Kelvox2PartRnd.png"})
        std::remove((folder + "/" + name).c_str());
    ::rmdir(folder.c_str());
}

}  // namespace
}  // namespace kelvox2::testing
