// The tool's PNG writer says what failed in its own words.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "kelvox2/host/png_writer.h"
#include "support/command_run.h"

namespace kx::testing {
namespace {

TEST(PngWriter, AFullDeviceIsReportedAsSuchAndLeftInPlace) {
    KCanvas canvas(64, 32);
    std::string error;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(kx::writeCanvasPng(canvas, "/dev/full", error));
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(error, "writing '/dev/full' failed: the disk is full");
    EXPECT_EQ(printed, "") << "the library's own text reached the user";
    struct stat st;
    EXPECT_EQ(stat("/dev/full", &st), 0);
}

TEST(PngWriter, WritesAPictureAndNamesAFolderThatIsMissing) {
    KCanvas canvas(3, 2);
    std::string path = freshFolder("png_writer") + "/out.png", error;
    ASSERT_TRUE(kx::writeCanvasPng(canvas, path.c_str(), error)) << error;
    EXPECT_EQ(readFile(path).substr(1, 3), "PNG");
    EXPECT_FALSE(kx::writeCanvasPng(canvas, "/nonexistent-folder/out.png", error));
    EXPECT_EQ(error, "cannot write '/nonexistent-folder/out.png': no such folder");
}

}  // namespace
}  // namespace kx::testing
