// `kelvox2 edit` and `kelvox2 snapshot` set the plug-in up as render does
// (--fxb, --fxp, --set), and edit reports each skin it reloads as the skin
// checker does, naming the controls a lost image took away.
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "edit/edit_fixture.h"

namespace kelvox2::testing {
namespace {

struct Done {
    int status;
    std::string errors;
};

Done runTool(const std::vector<std::string>& args) {
    ToolProcess tool(args, "");
    tool.readAll();
    const int status = tool.wait();
    return {status, tool.errors()};
}

Png snapshotOf(const std::vector<std::string>& extra) {
    const std::string out = tempPath("state_snapshot.png");
    std::vector<std::string> args = {"snapshot"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(out);
    Done done = runTool(args);
    EXPECT_EQ(done.status, 0) << done.errors;
    Png png = readPng(out);
    std::remove(out.c_str());
    return png;
}

using EditStateTest = EditToolTest;

TEST_F(EditStateTest, EditAndSnapshotTakePresetsAndSettingsAsRenderDoes) {
    const std::string fxp = tempPath("state.fxp"), fxb = tempPath("state.fxb");
    const std::vector<std::string> sets = {"--set", "Detune1=25", "--set", "wave1=saw", "--set", "Level2=-6"};
    std::vector<std::string> save = {"render", "--save-fxp", fxp, "--save-fxb", fxb};
    save.insert(save.end(), sets.begin(), sets.end());
    ASSERT_EQ(runTool(save).status, 0);

    const Png plain = snapshotOf({});
    const Png set = snapshotOf(sets);
    EXPECT_FALSE(set == plain) << "the settings changed nothing on the picture";
    EXPECT_TRUE(snapshotOf({"--fxp", fxp}) == set);
    EXPECT_TRUE(snapshotOf({"--fxb", fxb}) == set);

    const std::string shot = tempPath("state_edit.png");
    std::vector<std::string> edit = {"edit", KX_PLUGIN_PATH, "--screenshot", shot, "--quit"};
    edit.insert(edit.end(), sets.begin(), sets.end());
    ToolProcess tool(edit, display());
    tool.readAll();
    ASSERT_EQ(tool.wait(), 0) << tool.errors();
    EXPECT_TRUE(readPng(shot) == set) << "the editor shows other values than the snapshot";
    ToolProcess loaded({"edit", KX_PLUGIN_PATH, "--fxb", fxb, "--screenshot", shot, "--quit"}, display());
    loaded.readAll();
    ASSERT_EQ(loaded.wait(), 0) << loaded.errors();
    EXPECT_TRUE(readPng(shot) == set);

    // What the plug-in cannot take is refused before any window opens.
    Done bad = runTool({"edit", KX_PLUGIN_PATH, "--set", "Detune1=loud"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.errors.find("--set Detune1=loud: "), std::string::npos) << bad.errors;
    bad = runTool({"snapshot", "--set", "Nothing=1", tempPath("x.png")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.errors.find("--set Nothing=1: "), std::string::npos) << bad.errors;
    bad = runTool({"edit", KX_PLUGIN_PATH, "--fxp", tempPath("none.fxp")});
    EXPECT_EQ(bad.status, 2) << bad.errors;
    bad = runTool({"snapshot", "--fxb", fxp, tempPath("x.png")});
    EXPECT_EQ(bad.status, 2) << "a program given as a bank\n" << bad.errors;
    for (const std::string& f : {fxp, fxb, shot})
        std::remove(f.c_str());
}

// The skin the plug-in shows is the one beside the plug-in's file, whatever
// folder the tool runs from.
TEST_F(EditStateTest, SnapshotPaintsTheSkinBesideThePlugin) {
    const std::string folder = tempPath("beside");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string plugin = folder + "/Kelvox2.so";
    {
        std::ifstream in(KX_PLUGIN_PATH, std::ios::binary);
        std::ofstream(plugin, std::ios::binary) << in.rdbuf();
    }
    writeFile(folder + "/Kelvox2Skin.txt", "Init 120 60 1\nBackgroundCol 0 90 0\n");
    const Png beside = snapshotOf({plugin});
    EXPECT_EQ(beside.width, 120);
    EXPECT_EQ(beside.height, 72);

    const std::string shot = tempPath("beside_edit.png");
    ToolProcess tool({"edit", plugin, "--screenshot", shot, "--quit"}, display());
    tool.readAll();
    ASSERT_EQ(tool.wait(), 0) << tool.errors();
    EXPECT_TRUE(readPng(shot) == beside) << "edit and snapshot show different skins";

    // Without a skin beside it, the built-in one.
    std::remove((folder + "/Kelvox2Skin.txt").c_str());
    EXPECT_EQ(snapshotOf({plugin}).width, 665);
    Done missing = runTool({"snapshot", folder + "/Nothing.so", tempPath("x.png")});
    EXPECT_EQ(missing.status, 2) << missing.errors;
    for (const std::string& f : {plugin, shot})
        std::remove(f.c_str());
    ::rmdir(folder.c_str());
}

bool errorsSayWithin(ToolProcess& tool, const std::string& text, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (tool.errors().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

TEST_F(EditStateTest, AReloadPrintsTheCheckAndNamesTheControlThatLostItsImage) {
    const std::string folder = tempPath("lost");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    {
        std::ifstream in(std::string(KX_SOURCE_DIR) + "/src/data/files/Kelvox2AutoLvl.png", std::ios::binary);
        std::ofstream(folder + "/button.png", std::ios::binary) << in.rdbuf();
    }
    const std::string skin = folder + "/skin.txt";
    writeFile(skin,
              "AddResource knob PngFile button.png 50 35 2\n"
              "Init 120 60 1\n"
              "AddControl 1 0 0 50 35 KImgCommand FullRnd knob\n"
              "AddControl 1 60 0 20 20 KUrl \"file:///usr/bin/xterm\"\n");
    const std::string stageRoot = tempPath("lost_stage");
    ASSERT_EQ(::mkdir(stageRoot.c_str(), 0755), 0);
    ToolProcess tool({"edit", KX_PLUGIN_PATH, "--skin", skin}, display(), {"TMPDIR=" + stageRoot});
    ASSERT_FALSE(tool.waitFor("open ").empty()) << tool.errors();
    // The first showing is checked too.
    EXPECT_TRUE(errorsSayWithin(tool, "warning: 'file:///usr/bin/xterm': only http:", 5)) << tool.errors();

    std::remove((folder + "/button.png").c_str());
    EXPECT_EQ(tool.waitFor("reload ", 10), "reload 120 72") << tool.errors();
    EXPECT_TRUE(errorsSayWithin(tool,
                                "reload: line 3: AddControl 1 0 0 50 35 KImgCommand FullRnd knob: lost its image "
                                "'knob', so the control is gone",
                                5))
        << tool.errors();
    EXPECT_NE(tool.errors().find(skin + ":1: AddResource knob PngFile button.png 50 35 2\n    ignored: "),
              std::string::npos)
        << tool.errors();
    tool.signal(SIGINT);
    EXPECT_EQ(tool.wait(), 0) << tool.errors();
    std::remove(skin.c_str());
    ::rmdir(folder.c_str());
    ::rmdir(stageRoot.c_str());
}

}  // namespace
}  // namespace kelvox2::testing
