// cpack -G DEB: the Debian package's files, its dependencies, and the plug-in
// it carries loading in the tool it carries. (Installing it system-wide is
// left to scripts/check-package.sh: tests must not change the machine.)
#include <regex>

#include "installed_files.h"

namespace kx::testing {
namespace {

class DebianPackage : public ::testing::Test {
protected:
    void SetUp() override {
        if (KX_SANITIZED)
            GTEST_SKIP() << "a sanitizer build is not packaged";
        dir = freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        CommandRun r = runCommand("cd '" + dir + "' && '" + KX_CPACK_COMMAND + "' -G DEB --config '" + KX_BINARY_DIR +
                                  "/CPackConfig.cmake' -B '" + dir + "'");
        ASSERT_EQ(r.status, 0) << r.out;
        CommandRun arch = runCommand("dpkg --print-architecture");
        ASSERT_EQ(arch.status, 0);
        deb = dir + "/kelvox2_" + KX_DEB_VERSION + "_" + arch.out.substr(0, arch.out.find('\n')) + ".deb";
        ASSERT_EQ(runCommand("test -f '" + deb + "'").status, 0) << "no " << deb;
    }

    std::string field(const char* name) {
        CommandRun r = runCommand("dpkg-deb -f '" + deb + "' " + name);
        EXPECT_EQ(r.status, 0) << r.out;
        return r.out.substr(0, r.out.find('\n'));
    }

    std::string dir, deb;
};

TEST_F(DebianPackage, HoldsTheInstalledFilesUnderUsr) {
    CommandRun r = runCommand("dpkg-deb -c '" + deb + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    std::set<std::string> files;
    std::regex entry(R"(^(\S+) \S+ +\d+ \S+ \S+ \./usr/(\S+[^/])$)");
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_match(line, m, entry))
            files.insert(m[2].str() + (m[1].str() == "-rwxr-xr-x"   ? " 755"
                                       : m[1].str() == "-rw-r--r--" ? " 644"
                                                                    : " ?"));
    }
    std::set<std::string> expected;
    for (const std::string& f : installedFiles())
        expected.insert(f + (f == "bin/kelvox2" ? " 755" : " 644"));
    EXPECT_EQ(files, expected) << r.out;
    EXPECT_EQ(field("Package"), "kelvox2");
    EXPECT_EQ(field("Version"), KX_DEB_VERSION);
    EXPECT_EQ(field("Section"), "sound");
}

// Every library the two binaries load comes from a package the .deb depends on.
TEST_F(DebianPackage, DependsOnThePackagesOfEveryLibraryItsBinariesLoad) {
    const std::string depends = field("Depends");
    std::set<std::string> packages;
    std::regex name(R"((?:^|, )([a-z0-9][a-z0-9.+-]+))");
    for (auto it = std::sregex_iterator(depends.begin(), depends.end(), name); it != std::sregex_iterator(); ++it)
        packages.insert((*it)[1]);
    EXPECT_TRUE(packages.count("libc6")) << depends;

    std::string extracted = dir + "/root";
    ASSERT_EQ(runCommand("dpkg-deb -x '" + deb + "' '" + extracted + "'").status, 0);
    for (const char* file : {"/usr/bin/kelvox2", "/usr/lib/vst/Kelvox2.so", "/usr/lib/lv2/Kelvox2.lv2/Kelvox2.so"}) {
        CommandRun needed =
            runCommand("readelf -d '" + extracted + file + "' | sed -n 's/.*Shared library: \\[\\(.*\\)\\]/\\1/p'");
        ASSERT_EQ(needed.status, 0) << needed.out;
        // Where this machine finds each library it names, and whose it is
        // (the path may be registered with or without the /usr of merged /usr).
        CommandRun resolved = runCommand("ldd '" + extracted + file + "'");
        ASSERT_EQ(resolved.status, 0) << resolved.out;
        for (const std::string& soname : lineSet(needed.out)) {
            std::smatch m;
            std::regex found("(?:^|\\n)\\s*(?:" + std::regex_replace(soname, std::regex(R"([.+])"), R"(\$&)") +
                             R"( => )?(/\S*))");
            ASSERT_TRUE(std::regex_search(resolved.out, m, found)) << soname << " not resolved:\n" << resolved.out;
            std::string path = m[1], other = path.rfind("/usr/", 0) == 0 ? path.substr(4) : "/usr" + path;
            CommandRun owner = runCommand("dpkg -S '" + path + "' 2>/dev/null || dpkg -S '" + other + "'");
            std::string package = owner.status == 0 ? owner.out.substr(0, owner.out.find(':')) : "";
            ASSERT_FALSE(package.empty()) << soname << " at " << path << ": " << owner.out;
            EXPECT_TRUE(packages.count(package)) << file << " loads " << soname << " from " << package
                                                 << ", which the package does not depend on: " << depends;
        }
    }
}

TEST_F(DebianPackage, ItsToolLoadsItsPlugIn) {
    std::string root = dir + "/root";
    ASSERT_EQ(runCommand("dpkg-deb -x '" + deb + "' '" + root + "'").status, 0);
    CommandRun r = runCommand("'" + root + "/usr/bin/kelvox2' info '" + root + "/usr/lib/vst/Kelvox2.so'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Kelvox2"), std::string::npos) << r.out;
    // Stripped for the package, and still exporting only the two entry points.
    r = runCommand("nm -D --defined-only '" + root + "/usr/lib/vst/Kelvox2.so' | awk '{print $3}'");
    EXPECT_EQ(lineSet(r.out), (std::set<std::string>{"VSTPluginMain", "main"})) << r.out;
    r = runCommand("nm -D --defined-only '" + root + "/usr/lib/lv2/Kelvox2.lv2/Kelvox2.so' | awk '{print $3}'");
    EXPECT_EQ(lineSet(r.out), (std::set<std::string>{"lv2_descriptor", "lv2ui_descriptor"})) << r.out;
    r = runCommand("nm -D --defined-only '" + root + "/usr/lib/clap/Kelvox2.clap' | awk '{print $3}'");
    EXPECT_EQ(lineSet(r.out), (std::set<std::string>{"clap_entry"})) << r.out;
}

// What apt and Debian's checks see: no lintian errors, and no maintainer
// scripts (a postrm would keep dpkg's record after `apt remove`).
TEST_F(DebianPackage, IsLintianCleanOfErrorsAndHasNoMaintainerScripts) {
    CommandRun r = runCommand("dpkg-deb --ctrl-tarfile '" + deb + "' | tar -t");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(lineSet(r.out), (std::set<std::string>{"./", "./control", "./md5sums"})) << r.out;
    if (runCommand("command -v lintian").status != 0)
        GTEST_SKIP() << "lintian is not installed (scripts/install-deps.sh installs it)";
    r = runCommand("lintian --allow-root --fail-on error '" + deb + "'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("E: "), std::string::npos) << r.out;
}

}  // namespace
}  // namespace kx::testing
