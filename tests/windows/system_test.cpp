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

// A skin beside the DLL may name a program, a file: link or a share; the
// shell would run each of them. The launcher hands it none of them: here a
// program that would leave a mark beside itself (link_target.cpp).
TEST(LinkLauncher, TheShellRunsNoProgramFileOrShareLink) {
    ScratchFolder folder;
    const std::string target = folder.file("link_target.exe");
    ASSERT_TRUE(CopyFileA(windowsPath(KX_LINK_TARGET_PATH).c_str(), target.c_str(), FALSE));
    const std::string mark = target + ".opened";
    std::string fileLink = "file:///" + target;
    for (char& c : fileLink)
        if (c == '\\')
            c = '/';
    const std::string share = "\\\\localhost\\" + target.substr(0, 1) + "$" + target.substr(2);
    for (const std::string& link : {target, fileLink, share, std::string("FILE:") + target}) {
        EXPECT_FALSE(systemLinkLauncher(link.c_str())) << link;
        EXPECT_FALSE(openLink(link.c_str())) << link;
    }
    Sleep(1500);  // time enough for a program the shell started to run
    EXPECT_FALSE(std::filesystem::exists(mark)) << "the shell ran the program";
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
    gOpened = nullptr;
    EXPECT_FALSE(openLink(""));
    EXPECT_FALSE(openLink("C:\\Windows\\notepad.exe"));
    EXPECT_EQ(gOpened, nullptr) << "the launcher was asked for a link that is not web or mail";
    EXPECT_EQ(setLinkLauncher(nullptr), &watch);
    EXPECT_EQ(setLinkLauncher(nullptr), &systemLinkLauncher);
}

}  // namespace
}  // namespace kx::testing
