// `kelvox2 edit` hosting a foreign plug-in's editor (Nekobi, a real X11
// VST 2.4 editor) under Xvfb, and its answers to bad options and files.
#include "edit/edit_fixture.h"

#include <X11/Xlib.h>

#include <set>

namespace kelvox2::testing {
namespace {

const char* const kNekobi = "/usr/lib/vst/Nekobi-vst.so";
const char* const kKars = "/usr/lib/vst/Kars-vst.so";  // a synth without an editor

class ForeignEditorTest : public EditToolTest {
protected:
    void SetUp() override {
        EditToolTest::SetUp();
        if (!fileExists(kNekobi))
            FAIL() << kNekobi << " is missing (scripts/install-deps.sh installs dpf-plugins-vst)";
    }
    // A sanitized tool would report the foreign editor's own leaks (and its
    // GL driver's) at exit; they are not ours to find.
    ToolProcess run(const std::vector<std::string>& args) {
        const char* asan = std::getenv("ASAN_OPTIONS");
        return ToolProcess(args, display(), {std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":detect_leaks=0"});
    }
};

TEST_F(ForeignEditorTest, ScreenshotShowsTheEditorAtTheSizeItAskedFor) {
    std::string shot = tempPath("nekobi.png");
    ToolProcess tool = run({"edit", kNekobi, "--screenshot", shot, "--quit"});
    std::string open = tool.waitFor("open ");
    EXPECT_EQ(open.compare(0, 15, "open 636 108 0x"), 0) << open << tool.errors();
    tool.readAll();
    ASSERT_EQ(tool.wait(), 0) << tool.errors();
    EXPECT_EQ(tool.events().back(), "close");
    Png png = readPng(shot);
    ASSERT_EQ(png.width, 636);
    ASSERT_EQ(png.height, 108);
    std::set<uint32_t> colours;
    for (int y = 0; y < png.height; ++y)
        for (int x = 0; x < png.width; ++x)
            colours.insert(png.at(x, y));
    EXPECT_GT(colours.size(), 50u) << "the editor painted nothing";
    std::remove(shot.c_str());
}

TEST_F(ForeignEditorTest, KnobDragReportsBeginAutomateAndEndInOrder) {
    std::string events = tempPath("drag.txt");
    // The cutoff knob is parameter 2.
    writeFile(events, "# cutoff up by 20 pixels\ndown 208 68\nmove 208 64\nmove 208 58\nmove 208 48\nup\n");
    ToolProcess tool = run({"edit", kNekobi, "--events", events, "--quit"});
    tool.readAll();
    ASSERT_EQ(tool.wait(), 0) << tool.errors();
    std::vector<std::string> got = tool.events();
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ(got[1], "begin-edit 2");
    EXPECT_EQ(got[got.size() - 2], "end-edit 2");
    for (size_t i = 2; i + 2 < got.size(); ++i)
        EXPECT_EQ(got[i].compare(0, 11, "automate 2 "), 0) << got[i];
    std::remove(events.c_str());
}

TEST_F(ForeignEditorTest, KeysTheEditorLeavesReachTheHostAndAreForwarded) {
    std::string events = tempPath("keys.txt");
    // Outside the editor the keys go to the focused host window.
    writeFile(events, "move 900 600\nkey a\nkey Return ctrl\ntype B\n");
    ToolProcess tool = run({"edit", kNekobi, "--events", events, "--quit", "--verbose"});
    tool.readAll();
    ASSERT_EQ(tool.wait(), 0) << tool.errors();
    std::string errors = tool.errors();
    for (const char* line : {"key down a: ", "key up a: ", "key down Control_L: ", "key down Return: ",
                             "key down Shift_L: ", "key down B: "})
        EXPECT_NE(errors.find(line), std::string::npos) << line << " in\n" << errors;
    std::remove(events.c_str());
}

TEST_F(ForeignEditorTest, WindowCloseRequestClosesTheEditorCleanly) {
    ToolProcess tool = run({"edit", kNekobi});
    std::string open = tool.waitFor("open ");
    ASSERT_FALSE(open.empty()) << tool.errors();
    Window window = std::stoul(open.substr(open.rfind(' ') + 1), nullptr, 16);

    Display* x = XOpenDisplay(display().c_str());
    ASSERT_NE(x, nullptr);
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, window, False, NoEventMask, &close);
    XSync(x, False);

    EXPECT_EQ(tool.waitFor("close", 10), "close");
    EXPECT_EQ(tool.wait(), 0) << tool.errors();
    // The window is gone with the tool.
    XWindowAttributes attributes;
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    EXPECT_EQ(XGetWindowAttributes(x, window, &attributes), 0);
    XCloseDisplay(x);
}

TEST_F(ForeignEditorTest, InterruptClosesTheEditorCleanly) {
    ToolProcess tool = run({"edit", kNekobi});
    ASSERT_FALSE(tool.waitFor("open ").empty()) << tool.errors();
    tool.signal(SIGINT);
    EXPECT_EQ(tool.waitFor("close", 10), "close");
    EXPECT_EQ(tool.wait(), 0) << tool.errors();
}

TEST_F(ForeignEditorTest, InterruptBeforeTheWorkIsDoneSaysSoInTheStatus) {
    std::string events = tempPath("long.txt");
    writeFile(events, "wait 20000\n");
    std::string shot = tempPath("never.png");
    ToolProcess tool = run({"edit", kNekobi, "--events", events, "--screenshot", shot, "--quit"});
    ASSERT_FALSE(tool.waitFor("open ").empty()) << tool.errors();
    tool.signal(SIGTERM);
    EXPECT_EQ(tool.waitFor("close", 10), "close");
    EXPECT_EQ(tool.wait(), 128 + SIGTERM);
    EXPECT_NE(tool.errors().find("closed before the events and the picture were done"), std::string::npos);
    EXPECT_FALSE(fileExists(shot));
    std::remove(events.c_str());
}

struct BadRun {
    std::vector<std::string> args;
    int status;
    const char* says;
};

TEST_F(EditToolTest, BadOptionsAndFilesAreRefusedWithAReason) {
    std::string events = tempPath("bad_events.txt");
    writeFile(events, "down 10 10\n\nmove 10\n");
    std::string folder = ::testing::TempDir();
    std::string noSize = tempPath("nosize.txt");
    writeFile(noSize, "AddResource red RGBColour 255 0 0\n");
    const BadRun runs[] = {
        {{"edit", "--frobnicate"}, 2, "unknown option '--frobnicate'"},
        {{"edit", "--program", "two"}, 2, "bad program number 'two'"},
        {{"edit", "--quit=yes"}, 2, "--quit takes no value"},
        {{"edit", "--events"}, 2, "--events needs a value"},
        {{"edit", kNekobi, kKars}, 2, "more than one plug-in"},
        {{"edit", kNekobi, "--events", events}, 2, "bad_events.txt:3: 'move' needs X and Y"},
        {{"edit", kNekobi, "--events", tempPath("missing.txt")}, 2, "missing.txt: cannot open: No such file"},
        {{"edit", kNekobi, "--events", folder}, 2, "Is a directory"},
        {{"edit", "--skin", tempPath("missing_skin.txt")}, 2, "cannot read"},
        {{"edit", "--skin", folder}, 2, "not a regular file"},
        {{"edit", "--skin", noSize}, 2, "declares no size and pages (see kelvox2 check-skin)"},
        {{"edit", kNekobi, "--program", "99"}, 2, "program 99 does not exist: the plug-in has 1 (0 to 0)"},
        {{"edit", tempPath("nothing.so")}, 2, "cannot open"},
        {{"edit", kKars}, 2, "Kars-vst.so has no editor"},
    };
    for (const BadRun& run : runs) {
        std::string command;
        for (const std::string& a : run.args)
            command += a + " ";
        SCOPED_TRACE(command);
        ToolProcess tool(run.args, display());
        tool.readAll();
        EXPECT_EQ(tool.wait(), run.status);
        EXPECT_NE(tool.errors().find(run.says), std::string::npos) << tool.errors();
        EXPECT_TRUE(tool.events().empty()) << "nothing opened";
    }
    std::remove(events.c_str());
    std::remove(noSize.c_str());
}

TEST(EditToolWithoutDisplay, SaysWhichDisplayItCouldNotOpen) {
    ToolProcess tool({"edit", kNekobi}, "");
    tool.readAll();
    EXPECT_EQ(tool.wait(), 1);
    EXPECT_NE(tool.errors().find("cannot open the X display"), std::string::npos) << tool.errors();
}

TEST(EditToolHelp, NamesEveryOptionAndTheOutputLines) {
    ToolProcess tool({"edit", "--help"}, "");
    std::string all;
    for (const std::string& line : tool.readAll())
        all += line + "\n";
    EXPECT_EQ(tool.wait(), 0);
    for (const char* word : {"--skin", "--program", "--events", "--screenshot", "--quit", "key NAME", "type TEXT",
                             "wait MS", "begin-edit I", "automate I VALUE", "size-window W H"})
        EXPECT_NE(all.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace kelvox2::testing
