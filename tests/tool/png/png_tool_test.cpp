// kelvox2 png, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "graphics/png_decoder.h"
#include "graphics/png_reference.h"
#include "support/command_run.h"

namespace kx {
namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun runTool(const std::string& args) {
    const testing::CommandRun run = testing::runToolStdout("png " + args);
    return {run.status, run.out};
}

TEST(PngTool, PrintsTheSizeOrTheRefusalAndWritesRawPixels) {
    const std::string dir = std::string(KX_TESTDATA_DIR) + "/png/";
    const std::string raw = ::testing::TempDir() + "kelvox2-png-tool.raw";
    const ToolRun ok = runTool(dir + "basn3p04.png --raw " + raw);
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "32x32\n");
    const std::vector<uint8_t> bytes = test::readFile(dir + "basn3p04.png");
    auto image = decodePng(bytes.data(), bytes.size());
    ASSERT_NE(image, nullptr);
    const std::vector<uint8_t> written = test::readFile(raw);
    ASSERT_EQ(written.size(), image->pixels.size() * 4);
    for (size_t i = 0; i < image->pixels.size(); ++i) {
        const uint32_t p =
            written[4 * i] | written[4 * i + 1] << 8 | written[4 * i + 2] << 16 | uint32_t(written[4 * i + 3]) << 24;
        ASSERT_EQ(p, image->pixels[i]) << i;
    }
    std::remove(raw.c_str());

    const ToolRun refused = runTool(dir + "basi0g08.png");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out.rfind("refused: ", 0), 0u) << refused.out;
    EXPECT_NE(runTool(dir + "no-such-file.png").status, 0);
    EXPECT_EQ(runTool("--help").status, 0);
    EXPECT_NE(runTool("").status, 0);
}

}  // namespace
}  // namespace kx
