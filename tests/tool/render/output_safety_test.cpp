// Every subcommand refuses an output that would replace one of its inputs,
// however the two are named, and writes through symbolic links.
#include "tool_fixture.h"

#include <sys/stat.h>

namespace kx::tooltest {
namespace {

class OutputSafety : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        fs::copy_file(demo(), path("song.mid"));
        song_ = readBytes(path("song.mid"));
    }
    // The file still holds what it held before the run.
    void expectUntouched(const std::string& file, const std::string& bytes) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)) || fs::is_symlink(fs::symlink_status(file)));
        EXPECT_EQ(readBytes(file), bytes) << file << " was changed";
    }
    void expectRefused(const std::string& arguments, const std::string& says) {
        RunResult r = run(arguments);
        EXPECT_EQ(r.exitCode, 2) << arguments << "\n" << r.output;
        EXPECT_NE(r.output.find(says), std::string::npos) << arguments << "\n" << r.output;
    }

    std::string song_;
};

TEST_F(OutputSafety, RenderRefusesToReplaceTheSongThePresetOrThePlugin) {
    const std::string song = path("song.mid");
    expectRefused("render " + song + " " + path("out.wav") + " --save-fxp " + song,
                  "--save-fxp '" + song + "' would replace the MIDI file '" + song + "'");
    fs::create_symlink(song, path("link.wav"));
    expectRefused("render " + song + " " + path("link.wav"),
                  "the output '" + path("link.wav") + "' would replace the MIDI file");
    fs::create_hard_link(song, path("hard.flac"));
    expectRefused("render " + song + " " + path("hard.flac"), "would replace the MIDI file");
    expectUntouched(song, song_);

    ASSERT_EQ(run("render --save-fxp " + path("p.fxp")).exitCode, 0);
    const std::string preset = readBytes(path("p.fxp"));
    expectRefused("render --fxp " + path("p.fxp") + " --set Porta1=0.5 --save-fxp " + path("p.fxp"),
                  "would replace the --fxp file");
    expectUntouched(path("p.fxp"), preset);

    // Two outputs into one file, neither there yet.
    expectRefused("render " + song + " " + path("a.wav") + " --save-fxb " + path("./a.wav"), "are the same file");
    EXPECT_FALSE(fs::exists(path("a.wav")));

    // The plug-in is an input too.
    fs::copy_file(plugin(), path("Synth.so"));
    const std::string module = readBytes(path("Synth.so"));
    expectRefused("render " + path("Synth.so") + " " + song + " " + path("Synth.so") + " --format float",
                  "would replace the plug-in");
    expectUntouched(path("Synth.so"), module);
}

TEST_F(OutputSafety, PictureCommandsRefuseToReplaceTheirInputs) {
    const std::string skin = path("skin.txt"), events = path("events.txt");
    const std::string skinText = "Init 40 20 1\nBackgroundCol 0 0 80\n";
    writeBytes(skin, skinText.data(), skinText.size());
    writeBytes(events, "down 1 1\n", 9);
    expectRefused("snapshot --skin " + skin + " " + skin, "would replace the skin");
    expectRefused("snapshot --events " + events + " " + events, "would replace the events file");
    fs::create_symlink(events, path("events.png"));
    expectRefused("snapshot --events " + events + " " + path("events.png"), "would replace the events file");
    expectUntouched(skin, skinText);
    expectUntouched(events, "down 1 1\n");

    const std::string png = std::string(KX_TESTDATA_DIR) + "/png/basn3p04.png";
    fs::copy_file(png, path("in.png"));
    const std::string picture = readBytes(path("in.png"));
    expectRefused("png " + path("in.png") + " --raw " + path("in.png"), "would replace the PNG file");
    expectUntouched(path("in.png"), picture);
}

TEST_F(OutputSafety, WritingThroughASymbolicLinkWritesItsTarget) {
    fs::create_directories(path("takes"));
    const std::string target = path("takes/take1.wav");
    writeBytes(target, "old take", 8);
    fs::create_symlink("takes/take1.wav", path("current.wav"));
    RunResult r = run("render " + path("song.mid") + " " + path("current.wav") + " --quiet --tail 0");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path("current.wav"))));
    Audio audio;
    EXPECT_TRUE(readAudio(target, audio));
    EXPECT_GT(audio.frames(), 44100u);

    // A link to a file not yet there creates the file.
    fs::create_symlink(path("takes/preset.fxp"), path("preset.fxp"));
    fs::create_symlink(path("takes/editor.png"), path("editor.png"));
    fs::create_symlink(path("takes/pixels.raw"), path("pixels.raw"));
    ASSERT_EQ(run("render --save-fxp " + path("preset.fxp")).exitCode, 0);
    ASSERT_EQ(run("snapshot " + path("editor.png")).exitCode, 0);
    ASSERT_EQ(run("png " + std::string(KX_TESTDATA_DIR) + "/png/basn3p04.png --raw " + path("pixels.raw")).exitCode, 0);
    for (const char* name : {"preset.fxp", "editor.png", "pixels.raw"}) {
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path(name)))) << name;
        EXPECT_GT(fs::file_size(path(std::string("takes/") + name)), 0u) << name;
    }
    EXPECT_EQ(fs::file_size(path("takes/pixels.raw")), 32u * 32 * 4);
}

TEST_F(OutputSafety, DevicesAreWrittenIntoNotReplaced) {
    RunResult r = run("render " + path("song.mid") + " /dev/null --format wav16 --quiet --tail 0");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    struct stat st;
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "/dev/null was replaced";

    // A full disk is named as such, in our words rather than the audio library's.
    r = run("render " + path("song.mid") + " /dev/full --format wav16 --quiet --tail 0");
    EXPECT_EQ(r.exitCode, 2) << r.output;
    EXPECT_NE(r.output.find("'/dev/full'"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("the disk is full"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("System error"), std::string::npos) << r.output;
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));

    r = run("render " + path("song.mid") + " " + path("no/such/folder/out.wav") + " --quiet");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.output.find("cannot write '" + path("no/such/folder/out.wav") + "': no such folder"), std::string::npos)
        << r.output;
}

}  // namespace
}  // namespace kx::tooltest
