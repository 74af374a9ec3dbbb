// check-skin on skins as their authors write them: lines that load but cannot
// be what was meant, lines short of an argument, images that do not fit.
#include <gtest/gtest.h>

#include <string>

#include "support/command_run.h"

namespace kx::testing {
namespace {

// Resources most of the scripts below use.
const char* kHead =
    "AddResource hl RGBAColour 255 255 255 60\n"
    "AddResource dot RGBColour 40 40 50\n"
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

TEST(CheckSkinReports, ACleanSkinPassesWithoutWarnings) {
    std::string dir = freshFolder("check_clean");
    Checked r = check(dir, std::string(kHead) +
                               "Init 200 100 1\n"
                               "AddControl 1 10 10 40 40 KPotDot Wave1 hl 11 dot\n"
                               "AddControl 1 0 60 60 15 KValue Wave1 font\n");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_REPORTS(r, "200 x 112, 1 page, 2 controls, 4 resources; 0 lines ignored, 0 warnings");
}

TEST(CheckSkinReports, AWordWhereANumberBelongsWithWhatItReadsAs) {
    std::string dir = freshFolder("check_numbers");
    Checked r = check(dir, std::string(kHead) +
                               "Init 200 100 1\n"
                               "AddControl 1 ten 10 40 40 KPotDot Wave1 hl 11 dot\n"
                               "AddControl 1 60 10 40 40 KPotDot Wave2 hl 11px dot\n"
                               "AddResource grey RGBColour 128 128 0.5\n"
                               "BackgroundCol 0 0 big\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r,
                   ":6: AddControl 1 ten 10 40 40 KPotDot Wave1 hl 11 dot\n"
                   "    warning: 'ten' is not a number: the x reads as 0\n");
    EXPECT_REPORTS(r, "warning: '11px' is not a number: the radius reads as 11\n");
    EXPECT_REPORTS(r, "warning: '0.5' is not a whole number: the blue reads as 0\n");
    EXPECT_REPORTS(r, ":9: BackgroundCol 0 0 big\n    warning: 'big' is not a number: the blue reads as 0\n");
    EXPECT_REPORTS(r, "0 lines ignored, 4 warnings");
}

TEST(CheckSkinReports, ControlsOutsideTheEditorOrOnPagesTheSkinLacks) {
    std::string dir = freshFolder("check_places");
    // The size and pages that count are the last Init's, even below the controls.
    Checked r = check(dir, std::string(kHead) +
                               "AddControl 1 700 10 40 40 KPotDot Wave1 hl 11 dot\n"
                               "AddControl 1 640 10 40 40 KPotDot Wave2 hl 11 dot\n"
                               "AddControl 3 10 10 40 40 KPotDot Wave3 hl 11 dot\n"
                               "AddControl 0 10 90 40 40 KValue Wave3 font\n"
                               "AddControl -1 10 10 40 40 KValue Wave2 font\n"
                               "AddControl 2 10 10 40 40 KPotDot Attk1 hl 11 dot\n"
                               "Init 665 100 2\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r,
                   ":5: AddControl 1 700 10 40 40 KPotDot Wave1 hl 11 dot\n"
                   "    warning: lies outside the 665 x 100 editor: never seen\n");
    EXPECT_REPORTS(
        r,
        ":6: AddControl 1 640 10 40 40 KPotDot Wave2 hl 11 dot\n"
        "    warning: reaches beyond the 665 x 100 editor (640, 10 to 680, 50): the part outside is cut off\n");
    EXPECT_REPORTS(r,
                   ":7: AddControl 3 10 10 40 40 KPotDot Wave3 hl 11 dot\n"
                   "    warning: page 3, but the skin has 2 pages: never shown\n");
    EXPECT_REPORTS(r, "(10, 90 to 50, 130): the part outside is cut off or covers the footer");
    EXPECT_REPORTS(r, "page -1 is never shown");
    EXPECT_REPORTS(r, "0 lines ignored, 5 warnings");
}

TEST(CheckSkinReports, SizesOfZeroOrLess) {
    std::string dir = freshFolder("check_sizes");
    Checked r = check(dir, std::string(kHead) +
                               "Init 200 -5 1\n"
                               "AddControl 1 10 10 0 40 KPotDot Wave1 hl 11 dot\n"
                               "AddControl 1 10 10 40 -3 KValue Wave1 font\n");
    // The footer keeps the editor 7 pixels high, so the skin loads.
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r, ":5: Init 200 -5 1\n    warning: width, height and page count must each be above 0\n");
    EXPECT_REPORTS(r, "warning: a control of 0 x 40 is never drawn nor clicked");
    EXPECT_REPORTS(r, "warning: a control of 40 x -3 is never drawn nor clicked");
    EXPECT_REPORTS(r, "200 x 7, 1 page, 2 controls");
}

TEST(CheckSkinReports, ASecondInitAndNamesDeclaredTwice) {
    std::string dir = freshFolder("check_twice");
    Checked r = check(dir, std::string(kHead) +
                               "Init 100 100 1\n"
                               "AddResource dot RGBColour 255 0 0\n"
                               "AddResource text DefFont 12 dot\n"
                               "AddCheck loud Param MainLvl > 0.5\n"
                               "AddCheck loud Param MainLvl > 0.9\n"
                               "Init 200 100 1\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r,
                   ":6: AddResource dot RGBColour 255 0 0\n"
                   "    warning: a resource named 'dot' exists already (line 2): lookups find that one, so this one "
                   "is never used\n");
    EXPECT_REPORTS(r,
                   ":7: AddResource text DefFont 12 dot\n"
                   "    warning: 'text' also names a resource of another kind (line 3)");
    EXPECT_REPORTS(r,
                   ":9: AddCheck loud Param MainLvl > 0.9\n"
                   "    warning: a check named 'loud' exists already (line 8)");
    EXPECT_REPORTS(r, ":10: Init 200 100 1\n    warning: a second Init: it replaces the one on line 5\n");
    EXPECT_REPORTS(r, "200 x 112");
}

TEST(CheckSkinReports, AnUnknownAlignmentOrVariable) {
    std::string dir = freshFolder("check_labels");
    Checked r = check(dir, std::string(kHead) +
                               "Init 300 100 1\n"
                               "AddControl 1 0 0 300 20 KLabel Middle \"Rate ${srate} Hz\" font 0\n"
                               "AddControl 1 0 20 300 20 KLabel Right \"${Version} ${PlugVer}\" font 0\n"
                               "AddControl 1 0 40 300 20 KLabel centre \"Open ${HostName\" font 0\n"
                               "AddControl 1 0 60 100 20 KBarFracMeter Nope Sideways dot\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r, "warning: 'Middle' is not an alignment (Left, Centre, Right): the text is left\n");
    EXPECT_REPORTS(r, "warning: unknown variable '${srate}' shows as nothing (names are case-sensitive: ${SRate})\n");
    EXPECT_REPORTS(r, "warning: unknown variable '${Version}' shows as nothing (the variables: PlugVer,");
    EXPECT_REPORTS(r, "warning: '${HostName' has no closing '}'");
    EXPECT_FALSE(r.has("'${PlugVer}'")) << r.out;
    // A line that fails tells its failure along with what explains it.
    EXPECT_REPORTS(r, "ignored: no real value named 'Nope' ('Sideways' is not a direction");
}

TEST(CheckSkinReports, ImagesWhoseFramesDoNotFitTheirFile) {
    std::string dir = freshFolder("check_images");
    // A 100 x 35 picture of two 50 x 35 frames.
    std::string button = readFile(std::string(KX_SOURCE_DIR) + "/src/data/files/Kelvox2AutoLvl.png");
    ASSERT_FALSE(button.empty());
    writeFile(dir + "/button.png", button);
    writeFile(dir + "/broken.png", "GIF89a, not a PNG at all, whatever its name says");
    writeFile(dir + "/interlaced.png", readFile(std::string(KX_TESTDATA_DIR) + "/png/basi2c08.png"));
    Checked r = check(dir, std::string(kHead) +
                               "AddResource a PngFile button.png 50 35 2\n"
                               "AddResource b PngFile button.png 50 35 3\n"
                               "AddResource c PngFile button.png 60 35 1\n"
                               "AddResource d PngFile button.png 25 35 2\n"
                               "AddResource e PngFile button.png 200 35 1\n"
                               "AddResource f PngFile broken.png 10 10 1\n"
                               "AddResource g PngFile interlaced.png 32 32 1\n"
                               "AddResource h PngFile missing.png 10 10 1\n"
                               "AddResource i PngResource Kelvox2AutoLvl.png 50 35 4\n"
                               "Init 100 100 1\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_FALSE(r.has(":5:")) << r.out;
    EXPECT_REPORTS(r,
                   ":6: AddResource b PngFile button.png 50 35 3\n"
                   "    warning: the 100 x 35 picture holds only 2 frames of 50 x 35, not 3: nothing of it is "
                   "drawn\n");
    EXPECT_REPORTS(r,
                   "warning: the 100 x 35 picture is not a whole number of 60 x 35 frames: its last 40 columns "
                   "are never shown\n");
    EXPECT_REPORTS(r, "warning: the 100 x 35 picture holds 4 frames of 25 x 35; only the first 2 are used\n");
    EXPECT_REPORTS(r, "warning: the 100 x 35 picture is smaller than one frame of 200 x 35");
    EXPECT_REPORTS(r, "ignored: 'broken.png' does not decode as PNG: not a PNG signature\n");
    EXPECT_REPORTS(r, "ignored: 'interlaced.png' does not decode as PNG: unsupported header");
    EXPECT_REPORTS(r, "ignored: there is no file " + dir + "/missing.png\n");
    EXPECT_REPORTS(r,
                   ":13: AddResource i PngResource Kelvox2AutoLvl.png 50 35 4\n"
                   "    warning: the 100 x 35 picture holds only 2 frames");
}

TEST(CheckSkinReports, QuotesLinesAsWrittenAndReadsPastAByteOrderMark) {
    std::string dir = freshFolder("check_raw");
    Checked r = check(dir,
                      "\xEF\xBB\xBF"
                      "Init 200 100 1\r\n" +
                          std::string(kHead) +
                          "AddControl\t1  ten 10 40 40 KPotDot \"Wave1\" hl 11 dot   # first dial\r\n"
                          "\r\n"
                          "Bogus \x01 line\n");
    EXPECT_EQ(r.status, 1) << r.out;
    // The mark does not spoil the first line, and numbering is the editor's.
    EXPECT_FALSE(r.has(":1:")) << r.out;
    EXPECT_REPORTS(r,
                   ":6: AddControl\t1  ten 10 40 40 KPotDot \"Wave1\" hl 11 dot   # first dial\n"
                   "    warning: 'ten' is not a number: the x reads as 0\n");
    EXPECT_REPORTS(r, ":8: Bogus \\x01 line\n    ignored: unknown command 'Bogus'\n");
    EXPECT_REPORTS(r, "200 x 112, 1 page, 1 control,");
}

TEST(CheckSkinReports, ALineShortOfAnArgumentNamesTheOneMissing) {
    std::string dir = freshFolder("check_short");
    Checked r = check(dir, std::string(kHead) +
                               "Init 200 100\n"
                               "AddControl 1 10 10 40 KPotDot Wave1 hl 11 dot\n"
                               "AddControl 1 10 10 40 40 KPotDot Wave1 hl dot\n"
                               "AddControl 1 10 10 40 40 KImgRadio Wave1 2 img\n"
                               "AddResource img PngResource Kelvox2AutoLvl.png 50 35\n"
                               "AddCheck loud Param MainLvl >\n"
                               "AddControl 1 10 10 40 40\n"
                               "BackgroundImage 1 2\n"
                               "Init 200 100 1\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_REPORTS(r,
                   ":5: Init 200 100\n    ignored: Init takes width, height and page count; the page count is "
                   "missing\n");
    EXPECT_REPORTS(r, "ignored: the height is missing ('KPotDot' stands in its place)\n");
    EXPECT_REPORTS(r,
                   "ignored: KPotDot takes parameter, highlight colour, radius and dot colour; the radius is "
                   "missing ('dot' stands in its place)\n");
    EXPECT_REPORTS(r,
                   "ignored: KImgRadio takes parameter, position, last position and image; the last position "
                   "is missing ('img' stands in its place)\n");
    EXPECT_REPORTS(r,
                   "ignored: PngResource takes file name, frame width, frame height and frame count; the frame "
                   "count is missing\n");
    EXPECT_REPORTS(r, "ignored: a Param check takes parameter, comparison and value; the value is missing\n");
    EXPECT_REPORTS(r, "ignored: the control type is missing\n");
    EXPECT_REPORTS(r,
                   "ignored: BackgroundImage takes page, image and frame; the image is missing ('2' stands in "
                   "its place)\n");
}

TEST(CheckSkinReports, ImagesAreLookedForNextToTheSkinFile) {
    std::string dir = freshFolder("check_folder");
    writeFile(dir + "/button.png", readFile(std::string(KX_SOURCE_DIR) + "/src/data/files/Kelvox2AutoLvl.png"));
    writeFile(dir + "/skin.txt",
              "AddResource b PngFile button.png 50 35 2\nInit 100 100 1\n"
              "AddControl 1 0 0 50 35 KImg b\n");
    // Run from elsewhere: the folder that counts is the script's.
    CommandRun r = runTool("check-skin " + dir + "/skin.txt");
    EXPECT_EQ(r.status, 0) << r.out;
    r = runTool("check-skin skin.txt");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("cannot read skin.txt"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace kx::testing
