// check-skin on the faults that reach a user unreported otherwise: a size no
// host can open, a font face the system lacks, quotes the tokenizer reads
// differently from their author, a line cut at the reader's length, links
// that would run a program, and files that are no text at all.
#include <gtest/gtest.h>

#include <string>

#include "support/command_run.h"

namespace kx::testing {
namespace {

const char* kHead =
    "AddResource text RGBColour 200 200 200\n"
    "AddResource font DefFont 14 text\n";

struct Checked {
    int status;
    std::string out;
    bool has(const std::string& s) const { return out.find(s) != std::string::npos; }
};

Checked check(const std::string& folder, const std::string& script) {
    std::string path = folder + "/Kelvox2Skin.txt";
    writeFile(path, script);
    CommandRun r = runTool("check-skin " + path);
    return {r.status, r.out};
}

#define EXPECT_REPORTS(result, text) EXPECT_TRUE((result).has(text)) << "missing: " << (text) << "\n" << (result).out

TEST(CheckSkinFaults, ASizeTheCanvasCannotHoldIsReportedOnItsInitLine) {
    std::string dir = freshFolder("check_huge");
    Checked r = check(dir, std::string(kHead) + "Init 20000 20000 1\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r,
                   ":3: Init 20000 20000 1\n    warning: an editor of 20000 x 20012 pixels (the footer's 12 rows "
                   "included) is more than its canvas holds (67108864 pixels): no host can open it\n");
    // The largest that fits passes.
    r = check(dir, std::string(kHead) + "Init 8192 8180 1\n");
    EXPECT_EQ(r.status, 0) << r.out;
}

TEST(CheckSkinFaults, AFontFaceTheSystemLacks) {
    std::string dir = freshFolder("check_faces");
    Checked r = check(dir, std::string(kHead) +
                               "AddResource a DefFont 14 text \"Kelvox No Such Face\"\n"
                               "AddResource b DefFont 14 text sans-serif\n"
                               "AddResource c DefFont 14 text \"DejaVu Sans\"\n"
                               "Init 100 20 1\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r,
                   ":3: AddResource a DefFont 14 text \"Kelvox No Such Face\"\n"
                   "    warning: no font face 'Kelvox No Such Face' here: its text shows in a face the system picks "
                   "instead\n");
    EXPECT_REPORTS(r, "0 lines ignored, 1 warning\n");
}

TEST(CheckSkinFaults, AHashOrAMissingQuoteInAQuotedTextIsNamedAsTheCause) {
    std::string dir = freshFolder("check_quotes");
    Checked r = check(dir, std::string(kHead) +
                               "Init 300 100 1\n"
                               "AddControl 1 0 0 300 20 KLabel Left \"Track #1\" font 0\n"
                               "AddControl 1 0 20 300 20 KLabel Left \"Hello font 0\n"
                               "AddControl 1 0 40 300 20 KUrl \"https://tamlow.example/#top\"\n"
                               "AddControl 1 0 60 300 20 KLabel Left \"Fine\" font 0 # a \"comment\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r,
                   ":4: AddControl 1 0 0 300 20 KLabel Left \"Track #1\" font 0\n"
                   "    ignored: a '#' inside the quoted text starts a comment, also inside quotes: the line ends "
                   "there (leave the '#' out of the text); KLabel takes");
    EXPECT_REPORTS(r,
                   ":5: AddControl 1 0 20 300 20 KLabel Left \"Hello font 0\n"
                   "    ignored: the quoted text has no closing quote: it runs to the end of the line and takes in "
                   "the words after it; KLabel takes");
    // A line that still applies is warned about: the link lost its anchor.
    EXPECT_REPORTS(r,
                   ":6: AddControl 1 0 40 300 20 KUrl \"https://tamlow.example/#top\"\n"
                   "    warning: a '#' inside the quoted text starts a comment");
    EXPECT_FALSE(r.has(":7:")) << r.out;
    EXPECT_REPORTS(r, "2 lines ignored, 1 warning\n");
}

TEST(CheckSkinFaults, ALineCutAtTheReadersLengthAndItsRest) {
    std::string dir = freshFolder("check_long");
    const std::string text(260, 'x');
    Checked r = check(dir, std::string(kHead) + "Init 300 100 1\n" + "AddControl 1 0 0 300 20 KLabel Left \"" + text +
                               "\" font 0\n" + "AddControl 1 0 20 300 20 KLabel Left \"short\" font 0\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r, "    ignored: longer than 254 characters: the line is cut there and its rest read as the "
                      "next line; KLabel takes");
    EXPECT_REPORTS(r, "    ignored: the rest of the line above, which was cut at 254 characters, read as a line of "
                      "its own; unknown command");
    EXPECT_FALSE(r.has(":5:")) << "the line after is whole\n" << r.out;
}

TEST(CheckSkinFaults, LinksThatAreNotWebOrMailAreSaidToDoNothing) {
    std::string dir = freshFolder("check_links");
    Checked r = check(dir, std::string(kHead) +
                               "AddResource pic PngResource Kelvox2AutoLvl.png 50 35 2\n"
                               "Init 300 100 1\n"
                               "AddControl 1 0 0 20 20 KUrl \"https://tamlow.example/kelvox2\"\n"
                               "AddControl 1 20 0 20 20 KUrl \"MAILTO:kelvox2@tamlow.example\"\n"
                               "AddControl 1 40 0 20 20 KUrl \"C:\\Windows\\System32\\calc.exe\"\n"
                               "AddControl 1 60 0 50 35 KImgUrl pic \"\\\\server\\share\\setup.exe\"\n"
                               "AddControl 1 120 0 20 20 KUrl file:///etc/passwd\n");
    EXPECT_EQ(r.status, 1) << r.out;
    const std::string doesNothing =
        "only http:, https: and mailto: links open (a program, file or share link does nothing)\n";
    EXPECT_REPORTS(r, ":7: AddControl 1 40 0 20 20 KUrl \"C:\\Windows\\System32\\calc.exe\"\n"
                      "    warning: 'C:\\Windows\\System32\\calc.exe': " +
                          doesNothing);
    EXPECT_REPORTS(r, "    warning: '\\\\server\\share\\setup.exe': " + doesNothing);
    EXPECT_REPORTS(r, "    warning: 'file:///etc/passwd': " + doesNothing);
    EXPECT_REPORTS(r, "0 lines ignored, 3 warnings\n");
}

TEST(CheckSkinFaults, AFileThatIsNotTextIsRefusedWithoutPrintingIt) {
    std::string dir = freshFolder("check_binary");
    const std::string png = readFile(std::string(KX_SOURCE_DIR) + "/src/data/files/Kelvox2AutoLvl.png");
    ASSERT_FALSE(png.empty());
    writeFile(dir + "/knob.png", png);
    CommandRun r = runTool("check-skin " + dir + "/knob.png");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("knob.png is not a text file: it holds zero bytes"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("PNG"), std::string::npos) << "the file's bytes reached the terminal:\n" << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line only:\n" << r.out;

    writeFile(dir + "/utf16.txt", std::string("\xFF\xFEI\0n\0i\0t\0", 10));
    r = runTool("check-skin " + dir + "/utf16.txt");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("UTF-16"), std::string::npos) << r.out;

    writeFile(dir + "/noise.txt", std::string(40, '\x01') + "Init 10 10 1\n");
    r = runTool("check-skin " + dir + "/noise.txt");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("not a text file: 40 of its 53 bytes are control characters"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace kx::testing
