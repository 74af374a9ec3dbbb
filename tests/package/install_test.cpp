// cmake --install into a fresh prefix, as a user installs from source.
#include <regex>

#include "installed_files.h"

namespace kx::testing {
namespace {

TEST(Install, PutsThePlugInToolManualAndDocumentsUnderThePrefix) {
    std::string prefix = freshFolder("install_prefix");
    CommandRun r = runCommand(std::string("'") + KX_CMAKE_COMMAND + "' --install '" + KX_BINARY_DIR + "' --prefix '" +
                              prefix + "'");
    ASSERT_EQ(r.status, 0) << r.out;

    r = runCommand("cd '" + prefix + "' && find . -type f -printf '%P %m\\n'");
    std::set<std::string> expected;
    for (const std::string& f : installedFiles())
        expected.insert(f + (f == "bin/kelvox2" ? " 755" : " 644"));  // a plug-in is loaded, not run
    EXPECT_EQ(lineSet(r.out), expected) << r.out;

    // The installed tool loads the installed plug-in, and neither leans on the build tree.
    r = runCommand("'" + prefix + "/bin/kelvox2' info '" + prefix + "/lib/vst/Kelvox2.so'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Kelvox2"), std::string::npos) << r.out;
    // Named by nobody, the plug-in is the one installed beside the tool.
    r = runCommand("HOME='" + prefix + "' VST_PATH= '" + prefix + "/bin/kelvox2' info");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Plug-in:     " + prefix + "/lib/vst/Kelvox2.so"), std::string::npos) << r.out;
    for (const char* file : {"/bin/kelvox2", "/lib/vst/Kelvox2.so", "/lib/lv2/Kelvox2.lv2/Kelvox2.so"}) {
        r = runCommand("readelf -d '" + prefix + file + "'");
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find(KX_BINARY_DIR), std::string::npos) << file << " still points into the build tree";
    }

    // The README names the files where this installation put them.
    const std::string readme = readFile(prefix + "/share/doc/kelvox2/README.md");
    for (const char* file :
         {"/lib/vst/Kelvox2.so", "/lib/lv2/Kelvox2.lv2", "/bin/kelvox2", "/share/kelvox2/presets/factory.fxb"})
        EXPECT_NE(readme.find(prefix + file), std::string::npos) << file << " in:\n" << readme;
    EXPECT_EQ(readme.find("@"), std::string::npos) << readme;
}

// The manual page as the build makes it from docs/kelvox2.1.
std::string manualSource() {
    CommandRun r = runCommand(std::string("zcat -f '") + KX_BINARY_DIR + "/docs/kelvox2.1.gz'");
    EXPECT_EQ(r.status, 0) << r.out;
    return r.out;
}

TEST(Install, ManualPageFormatsWithoutWarnings) {
    CommandRun r = runCommand(std::string("zcat -f '") + KX_BINARY_DIR + "/docs/kelvox2.1.gz' | groff -man -ww -z");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");
    std::string page = manualSource();
    EXPECT_NE(page.find(std::string("\"Kelvox2 ") + KX_VERSION + "\""), std::string::npos) << "version not filled in";
}

// Every command the tool lists, and every option a command's help names, has
// its place in the manual page.
TEST(Install, ManualPageDescribesEveryCommandAndOptionOfTheTool) {
    const std::string page = manualSource();
    CommandRun usage = runCommand(std::string(KX_TOOL_PATH) + " --help");
    ASSERT_EQ(usage.status, 0) << usage.out;
    std::regex commandLine("^  ([a-z][a-z-]*)");
    std::regex option("--[a-z][a-z0-9-]*");
    int commands = 0;
    std::istringstream in(usage.out);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, commandLine))
            continue;
        std::string command = m[1];
        ++commands;
        EXPECT_NE(page.find(".SS \"" + command), std::string::npos) << "no section for " << command;
        CommandRun help = runCommand(std::string(KX_TOOL_PATH) + " " + command + " --help");
        for (auto it = std::sregex_iterator(help.out.begin(), help.out.end(), option); it != std::sregex_iterator();
             ++it) {
            std::string name = it->str();
            if (name == "--help")
                continue;
            std::string escaped;
            for (char c : name)
                escaped += c == '-' ? std::string("\\-") : std::string(1, c);
            EXPECT_NE(page.find(escaped), std::string::npos)
                << "option " << name << " of 'kelvox2 " << command << " --help' is not in docs/kelvox2.1";
        }
    }
    EXPECT_GE(commands, 7) << usage.out;
}

}  // namespace
}  // namespace kx::testing
