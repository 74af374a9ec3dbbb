// A host that loads and unloads the plug-in again and again (a scanner, a
// session reloaded) must not lose memory with each unload.
#include <gtest/gtest.h>

#include <regex>

#include "support/command_run.h"

namespace kx {
namespace {

using testing::CommandRun;
using testing::runCommand;

// Bytes valgrind finds definitely and indirectly lost after `count` loads.
long lostAfter(int count) {
    CommandRun r = runCommand("valgrind --leak-check=full '" + std::string(KX_LOAD_UNLOAD_PATH) + "' '" +
                              KX_PLUGIN_PATH + "' " + std::to_string(count));
    EXPECT_EQ(r.status, 0) << r.out;
    long lost = 0;
    bool summary = false;
    std::smatch m;
    const std::regex line(R"((definitely|indirectly) lost: ([\d,]+) bytes)");
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), line); it != std::sregex_iterator(); ++it) {
        lost += std::stol(std::regex_replace((*it)[2].str(), std::regex(","), ""));
        summary = true;
    }
    // Without a leak valgrind says "All heap blocks were freed" instead.
    EXPECT_TRUE(summary || r.out.find("no leaks are possible") != std::string::npos) << r.out;
    return lost;
}

TEST(UnloadLeak, LoadingAndUnloadingLosesNothingPerUnload) {
#ifdef KX_NO_VALGRIND
    GTEST_SKIP() << "a sanitizer build does not run under valgrind";
#endif
    if (runCommand("command -v valgrind").status != 0)
        GTEST_SKIP() << "valgrind is not installed";
    const long once = lostAfter(1);
    const long thrice = lostAfter(3);
    EXPECT_EQ(thrice, once) << "lost per extra load and unload: " << (thrice - once) / 2 << " bytes";
    EXPECT_EQ(once, 0);
}

}  // namespace
}  // namespace kx
