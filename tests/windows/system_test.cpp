// The tick, the local date, the platform's name and the shell's "open".
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "editor/link_launcher.h"
#include "instrument/platform_name.h"
#include "scratch_folder.h"
#include "skin/system_clock.h"

namespace kx::testing {
namespace {

TEST(SystemClock, IsTheMillisecondTickAndTheLocalDate) {
    const DWORD before = GetTickCount();
    const uint32_t tick = systemTickCount();
    const DWORD after = GetTickCount();
    EXPECT_LE(uint32_t(tick - before), uint32_t(after - before)) << before << " " << tick << " " << after;
    // Milliseconds, though a busy system may update the count late.
    Sleep(200);
    EXPECT_GE(uint32_t(systemTickCount() - tick), 100u);

    SYSTEMTIME first{}, last{};
    GetLocalTime(&first);
    const int today = todayMonthDay();
    GetLocalTime(&last);  // around midnight either day will do
    EXPECT_TRUE(today == first.wMonth * 100 + first.wDay || today == last.wMonth * 100 + last.wDay) << today;
}

TEST(Platform, IsWin64) { EXPECT_STREQ(platformName(), "Win64"); }

// The system launcher asks the shell to open the target: here a program
// that leaves a mark beside itself (link_target.cpp).
TEST(LinkLauncher, TheShellOpensTheTarget) {
    ScratchFolder folder;
    const std::string target = folder.file("link_target.exe");
    ASSERT_TRUE(CopyFileA(windowsPath(KX_LINK_TARGET_PATH).c_str(), target.c_str(), FALSE));
    const std::string mark = target + ".opened";

    EXPECT_TRUE(systemLinkLauncher(target.c_str()));
    bool opened = false;
    for (int i = 0; i < 200 && !opened; ++i) {
        Sleep(50);
        opened = std::filesystem::exists(mark);
    }
    EXPECT_TRUE(opened);
    EXPECT_FALSE(systemLinkLauncher(folder.file("no such file.kx-none").c_str()));
}

const char* gOpened = nullptr;
bool watch(const char* target) {
    gOpened = target;
    return true;
}

TEST(LinkLauncher, IsReplaceableAndOpeningALinkNeverCaptures) {
    const KLinkLauncher system = setLinkLauncher(watch);
    EXPECT_EQ(system, &systemLinkLauncher);
    EXPECT_FALSE(openLink("https://tamlow.example/kelvox2"));
    EXPECT_STREQ(gOpened, "https://tamlow.example/kelvox2");
    EXPECT_FALSE(openLink(""));
    EXPECT_STREQ(gOpened, "");
    EXPECT_EQ(setLinkLauncher(nullptr), &watch);
    EXPECT_EQ(setLinkLauncher(nullptr), &systemLinkLauncher);
}

}  // namespace
}  // namespace kx::testing
