#include "edit/replay_script.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>

namespace kelvox2 {
namespace {

ReplayStep parse(const std::string& line) {
    ReplayStep step;
    bool isStep = false;
    std::string error;
    EXPECT_TRUE(parseReplayLine(line, step, isStep, error)) << line << ": " << error;
    EXPECT_TRUE(isStep) << line;
    return step;
}

std::string refusal(const std::string& line) {
    ReplayStep step;
    bool isStep = false;
    std::string error;
    EXPECT_FALSE(parseReplayLine(line, step, isStep, error)) << line;
    return error;
}

TEST(ReplayScript, ReadsTheSnapshotPointerLines) {
    ReplayStep down = parse("down 10 -20 shift ctrl");
    EXPECT_EQ(down.kind, ReplayStep::Kind::Press);
    EXPECT_EQ(down.button, 1);
    EXPECT_TRUE(down.hasPoint);
    EXPECT_EQ(down.x, 10);
    EXPECT_EQ(down.y, -20);
    EXPECT_EQ(down.modifiers, unsigned(kReplayShift | kReplayCtrl));

    ReplayStep rup = parse("  rup 3 4");
    EXPECT_EQ(rup.kind, ReplayStep::Kind::Release);
    EXPECT_EQ(rup.button, 3);
    EXPECT_EQ(rup.x, 3);

    // A release may leave the pointer where it is, with or without keys.
    ReplayStep up = parse("up");
    EXPECT_FALSE(up.hasPoint);
    EXPECT_EQ(parse("up alt").modifiers, unsigned(kReplayAlt));
    EXPECT_EQ(parse("move 1 2 shift").kind, ReplayStep::Kind::Move);
}

TEST(ReplayScript, ReadsKeysTypedTextAndPauses) {
    ReplayStep key = parse("key Return ctrl");
    EXPECT_EQ(key.kind, ReplayStep::Kind::Key);
    EXPECT_EQ(key.keysym, static_cast<unsigned long>(XK_Return));
    EXPECT_EQ(key.modifiers, unsigned(kReplayCtrl));
    EXPECT_EQ(parse("key a").keysym, static_cast<unsigned long>(XK_a));

    ReplayStep text = parse("type -12.5 dB\r");  // spaces kept, a DOS line end dropped
    EXPECT_EQ(text.kind, ReplayStep::Kind::Type);
    EXPECT_EQ(text.text, "-12.5 dB");

    EXPECT_EQ(parse("wait 250").milliseconds, 250);

    ReplayStep wheel = parse("wheel down 7 8 shift");
    EXPECT_EQ(wheel.kind, ReplayStep::Kind::Wheel);
    EXPECT_EQ(wheel.button, 5);
    EXPECT_EQ(wheel.x, 7);
    EXPECT_EQ(wheel.modifiers, unsigned(kReplayShift));
    EXPECT_EQ(parse("wheel up 0 0").button, 4);
}

TEST(ReplayScript, SkipsBlankAndCommentLines) {
    for (const char* line : {"", "   ", "# down 1 2", "\t#"}) {
        ReplayStep step;
        bool isStep = true;
        std::string error;
        EXPECT_TRUE(parseReplayLine(line, step, isStep, error));
        EXPECT_FALSE(isStep) << line;
    }
}

TEST(ReplayScript, RefusesMalformedLinesWithTheReason) {
    EXPECT_NE(refusal("down 10").find("needs X and Y"), std::string::npos);
    EXPECT_NE(refusal("down 10 x").find("needs X and Y"), std::string::npos);
    EXPECT_NE(refusal("move 2000000 0").find("within"), std::string::npos);
    EXPECT_NE(refusal("down 1 2 meta").find("'meta'"), std::string::npos);
    EXPECT_NE(refusal("up 5").find("needs X and Y"), std::string::npos);
    EXPECT_NE(refusal("key").find("needs a key name"), std::string::npos);
    EXPECT_NE(refusal("key Nonsuch_Key").find("unknown key name 'Nonsuch_Key'"), std::string::npos);
    EXPECT_NE(refusal("type").find("needs the text"), std::string::npos);
    EXPECT_NE(refusal("type caf\xc3\xa9").find("printable ASCII"), std::string::npos);
    EXPECT_NE(refusal("wait -1").find("milliseconds"), std::string::npos);
    EXPECT_NE(refusal("wait 10 20").find("milliseconds"), std::string::npos);
    EXPECT_NE(refusal("wait 700000").find("milliseconds"), std::string::npos);
    EXPECT_NE(refusal("page 2").find("headless snapshot"), std::string::npos);
    EXPECT_NE(refusal("wheel 1 2").find("up or down"), std::string::npos);
    EXPECT_NE(refusal("wheel up 1").find("needs X and Y"), std::string::npos);
    EXPECT_NE(refusal("jump 1 2").find("unknown event 'jump'"), std::string::npos);
}

TEST(ReplayScript, FileErrorsNameTheFileAndLine) {
    std::string path = ::testing::TempDir() + "kx_replay_script_test.txt";
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("# a drag\ndown 1 2\nwait 5\nup\n", f);
    std::fclose(f);
    std::vector<ReplayStep> steps;
    std::string error;
    ASSERT_TRUE(readReplayFile(path, steps, error)) << error;
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].line, 2);
    EXPECT_EQ(steps[2].line, 4);

    f = std::fopen(path.c_str(), "a");
    std::fputs("drag 1 2\n", f);
    std::fclose(f);
    EXPECT_FALSE(readReplayFile(path, steps, error));
    EXPECT_EQ(error.rfind(path + ":5: unknown event 'drag'", 0), 0u) << error;
    std::remove(path.c_str());
}

}  // namespace
}  // namespace kelvox2
