// kelvox2 skin export, as a skin author starts a new skin with it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/command_run.h"

namespace kx::testing {
namespace {

const char* const kImages[] = {"Kelvox2.png", "Kelvox2PartRnd.png", "Kelvox2FullRnd.png", "Kelvox2AutoLvl.png"};

std::string builtIn(const std::string& name) {
    return readFile(std::string(KX_SOURCE_DIR) + "/src/data/files/" + name);
}

TEST(SkinExport, WritesTheBuiltInSkinWithItsImagesAsFiles) {
    std::string dir = freshFolder("export_new") + "/my skin/nested";
    CommandRun r = runTool("skin export '" + dir + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("wrote " + dir + "/Kelvox2Skin.txt"), std::string::npos) << r.out;
    for (const char* image : kImages)
        EXPECT_EQ(readFile(dir + "/" + image), builtIn(image)) << image;

    // The script reads those files instead of the built-in images; nothing
    // else in it changes.
    std::string script = readFile(dir + "/Kelvox2Skin.txt");
    std::string expected = builtIn("Kelvox2Skin.txt");
    for (size_t at; (at = expected.find("PngResource")) != std::string::npos;)
        expected.replace(at, 11, "PngFile");
    EXPECT_EQ(script, expected);
    EXPECT_EQ(script.find("PngResource"), std::string::npos);

    // It checks clean where it stands, images and all.
    r = runTool("check-skin '" + dir + "/Kelvox2Skin.txt'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("77 controls, 11 resources; 0 lines ignored, 0 warnings"), std::string::npos) << r.out;
}

TEST(SkinExport, KeepsFilesThatExistUnlessToldToReplaceThem) {
    std::string dir = freshFolder("export_again");
    ASSERT_EQ(runTool("skin export " + dir).status, 0);
    writeFile(dir + "/Kelvox2Skin.txt", "# my own work\n");
    ASSERT_EQ(unlink((dir + "/Kelvox2.png").c_str()), 0);

    CommandRun r = runTool("skin export " + dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find(dir + "/Kelvox2Skin.txt exists already"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("nothing written; use --force to replace them"), std::string::npos) << r.out;
    EXPECT_EQ(readFile(dir + "/Kelvox2Skin.txt"), "# my own work\n");
    EXPECT_NE(access((dir + "/Kelvox2.png").c_str(), F_OK), 0) << "a refused export wrote nothing at all";

    r = runTool("skin export --force " + dir);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(readFile(dir + "/Kelvox2Skin.txt"), "# my own work\n");
    EXPECT_EQ(readFile(dir + "/Kelvox2.png"), builtIn("Kelvox2.png"));
}

TEST(SkinExport, ReplacingThroughALinkWritesItsTarget) {
    std::string dir = freshFolder("export_link");
    std::string elsewhere = freshFolder("export_link_target") + "/mine.txt";
    writeFile(elsewhere, "# kept elsewhere\n");
    ASSERT_EQ(symlink(elsewhere.c_str(), (dir + "/Kelvox2Skin.txt").c_str()), 0);
    EXPECT_EQ(runTool("skin export " + dir).status, 2);
    EXPECT_EQ(readFile(elsewhere), "# kept elsewhere\n");

    ASSERT_EQ(runTool("skin export --force " + dir).status, 0);
    struct stat st;
    ASSERT_EQ(lstat((dir + "/Kelvox2Skin.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_NE(readFile(elsewhere).find("AddResource bgimg PngFile"), std::string::npos);
    ASSERT_EQ(stat(elsewhere.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(SkinExport, RefusesWhatItCannotDoWithAClearMessage) {
    CommandRun r = runTool("skin export");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("no folder given"), std::string::npos) << r.out;
    r = runTool("skin");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("which action? (export)"), std::string::npos) << r.out;
    r = runTool("skin import x");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("unknown action 'import'"), std::string::npos) << r.out;
    EXPECT_EQ(runTool("skin export --bogus x").status, 2);
    r = runTool("skin export --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: kelvox2 skin export [--force] DIR"), std::string::npos) << r.out;

    std::string file = freshFolder("export_onto_file") + "/plain";
    writeFile(file, "x");
    r = runTool("skin export " + file);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find(file + " is not a folder"), std::string::npos) << r.out;
    EXPECT_EQ(readFile(file), "x");

    r = runTool("skin export /proc/kelvox2-cannot-be-here");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("cannot create the folder /proc/kelvox2-cannot-be-here"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace kx::testing
