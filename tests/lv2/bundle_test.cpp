// The bundle as LV2 hosts see it: Debian's lilv tools read its description,
// the library exports only the descriptors, and a JACK host runs it.
#include "lv2_driver.h"

#include "support/command_run.h"

#include <regex>

#include <unistd.h>

namespace kx::testing {
namespace {

// A search path of the built bundle alone, then the system's (where the
// LV2 vocabularies that name classes and units live).
std::string withBundle(const std::string& command) {
    static const std::string path = [] {
        const std::string dir = freshFolder("lv2_path_" + std::to_string(getpid()));
        runCommand("ln -s '" KX_LV2_BUNDLE "' '" + dir + "/'");
        return dir;
    }();
    return "LV2_PATH='" + path + ":/usr/lib/lv2' " + command;
}

int count(const std::string& text, const std::string& pattern) {
    const std::regex re(pattern);
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

TEST(Lv2Bundle, LilvReadsThePluginItsPortsPresetsAndEditor) {
    const CommandRun list = runCommand(withBundle("lv2ls"));
    EXPECT_NE(list.out.find(KX_LV2_URI), std::string::npos) << list.out;

    const CommandRun info = runCommand(withBundle("lv2info " KX_LV2_URI));
    ASSERT_EQ(info.status, 0) << info.out;
    EXPECT_NE(info.out.find("Class:             Instrument Plugin"), std::string::npos) << info.out;
    EXPECT_EQ(count(info.out, "lv2core#ControlPort"), kSynthParamCount);
    EXPECT_EQ(count(info.out, "lv2core#AudioPort"), 1);
    EXPECT_EQ(count(info.out, "atom#AtomPort"), 1);
    EXPECT_NE(info.out.find("Class:  http://lv2plug.in/ns/extensions/ui#X11UI"), std::string::npos);
    // The ten factory sounds, by name.
    const std::string factory = readFile(KX_SOURCE_DIR "/presets/factory.txt");
    const std::regex preset("PRESET \"([^\"]+)\"");
    int presets = 0;
    for (auto it = std::sregex_iterator(factory.begin(), factory.end(), preset); it != std::sregex_iterator(); ++it) {
        ++presets;
        EXPECT_EQ(count(info.out, "\n\\s+" + (*it)[1].str() + "\n"), 1) << (*it)[1];
    }
    EXPECT_EQ(presets, 10);
    // A choice with its entries, a range in its unit.
    EXPECT_NE(info.out.find("Symbol:      LFOWave"), std::string::npos);
    EXPECT_NE(info.out.find("= \"Falling\""), std::string::npos);
    EXPECT_NE(info.out.find("Maximum:     359.000000"), std::string::npos);
}

// Every statement of the bundle fits the vocabularies it uses.
TEST(Lv2Bundle, DescriptionValidatesAgainstTheLv2Specifications) {
    if (runCommand("command -v lv2_validate && command -v sord_validate").status != 0)
        GTEST_SKIP() << "lv2_validate or sord_validate missing (scripts/install-deps.sh)";
    std::string schemas;
    for (const char* name : {"core", "atom", "midi", "time", "ui", "units", "presets", "state", "urid", "options",
                             "buf-size", "instance-access", "port-props", "parameters", "patch"})
        schemas += std::string(" /usr/lib/lv2/") + name + ".lv2/*.ttl";
    const CommandRun run = runCommand("lv2_validate" + schemas + " " KX_LV2_BUNDLE "/*.ttl");
    EXPECT_NE(run.out.find("Found 0 errors"), std::string::npos) << run.out;
}

TEST(Lv2Bundle, LibraryExportsOnlyTheDescriptorsAndNeedsNoMoreThanTheVstLibrary) {
    const CommandRun symbols = runCommand("nm -D --defined-only '" + kBundleLibrary + "' | awk '{print $3}' | sort");
    ASSERT_EQ(symbols.status, 0) << symbols.out;
    EXPECT_EQ(symbols.out, "lv2_descriptor\nlv2ui_descriptor\n");
    const std::string needed = "objdump -p '%s' | awk '/NEEDED/ {print $2}' | sort";
    auto neededBy = [&](const std::string& path) {
        std::string command = needed;
        command.replace(command.find("%s"), 2, path);
        return lineSet(runCommand(command).out);
    };
    const auto vst = neededBy(KX_PLUGIN_PATH);
    for (const std::string& library : neededBy(kBundleLibrary))
        EXPECT_TRUE(vst.count(library)) << library << " is needed by the LV2 library only";
}

TEST(Lv2Bundle, JalvRunsItOnADummyJackServer) {
#ifdef KX_SANITIZED
    GTEST_SKIP() << "jalv cannot load a sanitized library";
#endif
    if (runCommand("command -v jackd && command -v jalv").status != 0)
        GTEST_SKIP() << "jackd or jalv missing (scripts/install-deps.sh)";
    const std::string server = "kx_lv2_" + std::to_string(getpid());
    const std::string env = "JACK_DEFAULT_SERVER=" + server + " JACK_NO_AUDIO_RESERVATION=1 ";
    const std::string dir = freshFolder("lv2_jalv_" + std::to_string(getpid()));
    // jackd on a dummy driver, jalv for a second and a half, then both end.
    const CommandRun run = runCommand(
        env + "jackd --no-realtime -d dummy -r 48000 -p 256 > '" + dir + "/jackd.log' 2>&1 & jack=$!; sleep 1; " +
        withBundle(env + "timeout -s INT 2 jalv -i -n kx_test " KX_LV2_URI " < /dev/null > '" + dir +
                   "/jalv.log' 2>&1; echo jalv=$?; kill $jack; wait $jack; cat '" + dir + "/jalv.log'"));
    EXPECT_NE(run.out.find("jalv=124"), std::string::npos) << run.out;  // still running when stopped
    EXPECT_EQ(run.out.find("rror"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace kx::testing
