// The snapshot and check-skin commands, run as a user runs them.
#include <gtest/gtest.h>
#include <png.h>

#include "support/command_run.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun run(const std::string& args) {
    const kx::testing::CommandRun run = kx::testing::runTool(args);
    return {run.status, run.out};
}

std::string temp(const char* name) { return ::testing::TempDir() + "kx_skin_tool_" + name; }

void write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

Png readPng(const std::string& path) {
    Png png;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return png;
    image.format = PNG_FORMAT_RGB;
    png.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr)) {
        png.width = int(image.width);
        png.height = int(image.height);
    }
    return png;
}

const char* kSkin =
    "AddResource white RGBColour 255 255 255\n"
    "AddResource dot RGBColour 255 0 0\n"
    "Init 120 60 2\n"
    "BackgroundCol 0 0 80\n"
    "AddControl 0 0 0 20 10 KPageSelHlt 1 white\n"
    "AddControl 0 20 0 20 10 KPageSelHlt 2 white\n"
    "AddControl 1 40 10 40 40 KPotDot Detune1 white 11 dot\n"
    "AddControl 2 40 10 40 40 KPotDot Attk1 white 11 dot\n";

TEST(SnapshotTool, PaintsTheBuiltInSkinAtItsSize) {
    std::string out = temp("default.png");
    ToolRun r = run("snapshot " + out);
    ASSERT_EQ(r.status, 0) << r.out;
    Png png = readPng(out);
    EXPECT_EQ(png.width, 665);
    EXPECT_EQ(png.height, 407);
    EXPECT_EQ(png.at(0, 400), 0u);  // footer strip
    std::remove(out.c_str());
}

TEST(SnapshotTool, ReplaysEventsThroughTheSkin) {
    std::string skin = temp("skin.txt"), events = temp("events.txt"), out = temp("events.png");
    write(skin, kSkin);
    // Drag the dial from the middle to the top, then hold the page-2 tab.
    write(events, "# drag\ndown 60 30\nmove 60 -20\nup 60 -20\n\ndown 25 5\n");
    ToolRun r = run("snapshot --skin " + skin + " --events " + events + " " + out);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("page 2"), std::string::npos);
    Png png = readPng(out);
    ASSERT_EQ(png.width, 120);
    EXPECT_EQ(png.at(30, 5), 0xFFFFFFu);  // the tab lit while held
    EXPECT_EQ(png.at(60, 30), 80u);       // page 2's dial at 0: no highlight
    // --page shows a page straight away.
    r = run("snapshot --skin " + skin + " --page 1 --events " + events + " " + out);
    EXPECT_EQ(r.status, 0);
    for (const std::string& f : {skin, events, out})
        std::remove(f.c_str());
}

TEST(SnapshotTool, RefusesBadInputClearly) {
    std::string events = temp("bad-events.txt");
    write(events, "down 1 2\nwiggle 3 4\n");
    ToolRun r = run("snapshot --events " + events + " " + temp("x.png"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find(":2: unknown event 'wiggle'"), std::string::npos) << r.out;
    EXPECT_EQ(run("snapshot").status, 2);
    EXPECT_EQ(run("snapshot --page x out.png").status, 2);
    EXPECT_EQ(run("snapshot --bogus out.png").status, 2);
    EXPECT_EQ(run("snapshot --help").status, 0);
    r = run("snapshot /nonexistent-dir/out.png");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("cannot write"), std::string::npos);
    // A folder given as the skin is named as such, not with a stale error.
    r = run("snapshot --skin " + ::testing::TempDir() + " " + temp("x.png"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("not a regular file"), std::string::npos) << r.out;
    r = run("check-skin " + ::testing::TempDir());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("not a regular file"), std::string::npos) << r.out;
    std::remove(events.c_str());
}

TEST(SnapshotTool, RefusesPagesTheSkinDoesNotHaveNamingThePageCount) {
    std::string skin = temp("pages.txt"), events = temp("page-events.txt"), out = temp("pages.png");
    write(skin, kSkin);
    std::remove(out.c_str());
    for (const char* page : {"7", "0", "3"}) {
        ToolRun r = run("snapshot --skin " + skin + " --page " + page + " " + out);
        EXPECT_EQ(r.status, 2) << page << "\n" << r.out;
        EXPECT_NE(r.out.find(std::string("--page ") + page + ": the skin has 2 pages (1 to 2)"), std::string::npos)
            << r.out;
    }
    write(events, "page 2\n# then\npage 9\n");
    ToolRun r = run("snapshot --skin " + skin + " --events " + events + " " + out);
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find(events + ":3: page 9: the skin has 2 pages (1 to 2)"), std::string::npos) << r.out;
    std::FILE* written = std::fopen(out.c_str(), "rb");
    EXPECT_EQ(written, nullptr) << "a refused snapshot wrote a picture";
    if (written)
        std::fclose(written);
    // The last page is there to be shown.
    EXPECT_EQ(run("snapshot --skin " + skin + " --page 2 " + out).status, 0);
    for (const std::string& f : {skin, events, out})
        std::remove(f.c_str());
}

TEST(CheckSkinTool, ReportsIgnoredLinesWithTheirLineNumbers) {
    std::string skin = temp("check.txt");
    write(skin, std::string(kSkin) + "\r\n\r\nAddControl 1 0 0 10 10 KPotDot Nope white 11 dot\nBogus\n");
    ToolRun r = run("check-skin " + skin);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(
        r.out.find(":11: AddControl 1 0 0 10 10 KPotDot Nope white 11 dot\n    ignored: no parameter named 'Nope'"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(":12: Bogus"), std::string::npos) << r.out;
    write(skin, kSkin);
    EXPECT_EQ(run("check-skin " + skin).status, 0);
    write(skin, "AddResource white RGBColour 255 255 255\n");
    r = run("check-skin " + skin);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("rejected"), std::string::npos);
    std::remove(skin.c_str());
    EXPECT_EQ(run("check-skin " + skin).status, 2);
    EXPECT_EQ(run("check-skin").status, 2);
}

TEST(CheckSkinTool, BuiltInSkinIsClean) {
    ToolRun r = run(std::string("check-skin ") + KX_SOURCE_DIR + "/src/data/files/Kelvox2Skin.txt");
    // Until the images are built in, their resources and the buttons that
    // use them are the only lines passed over.
    if (r.out.find("no built-in file") == std::string::npos) {
        EXPECT_EQ(r.status, 0) << r.out;
    }
    EXPECT_NE(r.out.find("665 x 407, 2 pages"), std::string::npos) << r.out;
}

}  // namespace
