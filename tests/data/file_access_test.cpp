#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data/byte_source.h"
#include "data/file_access.h"

namespace kx {
namespace {

// A scratch folder removed with everything in it at the end of a test.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/kx_data_XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~ScratchDir() {
        for (const std::string& file : files_)
            std::remove(file.c_str());
        ::rmdir(path_.c_str());
    }
    std::string write(const std::string& name, const std::string& content) {
        const std::string file = path_ + "/" + name;
        std::FILE* f = std::fopen(file.c_str(), "wb");
        if (f != nullptr) {
            std::fwrite(content.data(), 1, content.size(), f);
            std::fclose(f);
        }
        files_.push_back(file);
        return file;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::vector<std::string> files_;
};

std::string executableDirectory() {
    char path[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    std::string text(path, static_cast<std::size_t>(n));
    return text.substr(0, text.rfind('/') + 1);
}

TEST(LibraryDirectory, IsTheFolderOfTheProgramHoldingTheCode) {
    char buffer[kLibraryPathSize];
    char* end = getLibraryDirectory(buffer, sizeof buffer);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(std::string(buffer), executableDirectory());
    EXPECT_EQ(end, buffer + std::strlen(buffer));
    EXPECT_EQ(end[-1], '/');
}

TEST(LibraryDirectory, InsideAModuleIsTheModulesFolderEvenWhenLoadedByARelativePath) {
    const std::string probe = KX_LIBRARY_PROBE_PATH;
    const std::string folder = probe.substr(0, probe.rfind('/') + 1);
    const std::string file = probe.substr(probe.rfind('/') + 1);
    char previous[PATH_MAX] = {};
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(folder.c_str()), 0);
    void* module = ::dlopen(("./" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_EQ(::chdir(previous), 0);
    ASSERT_NE(module, nullptr) << ::dlerror();

    using Lookup = char* (*)(char*, std::size_t);
    auto lookup = reinterpret_cast<Lookup>(::dlsym(module, "kx_probe_library_directory"));
    ASSERT_NE(lookup, nullptr);
    char buffer[kLibraryPathSize];
    ASSERT_NE(lookup(buffer, sizeof buffer), nullptr);
    char real[PATH_MAX] = {};
    ASSERT_NE(::realpath(folder.c_str(), real), nullptr);
    EXPECT_EQ(std::string(buffer), std::string(real) + "/");
    ::dlclose(module);
}

TEST(LibraryDirectory, APathThatDoesNotFitGivesAnEmptyText) {
    const std::size_t needed = executableDirectory().size();
    ASSERT_GT(needed, 2u);
    char buffer[kLibraryPathSize];
    std::memset(buffer, 'x', sizeof buffer);
    // The whole path (folder and file name) must fit, as the module-path
    // query fills the buffer before the name is cut off; a buffer the size of
    // the folder is too small.
    EXPECT_EQ(getLibraryDirectory(buffer, needed), nullptr);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[needed], 'x');  // nothing written past the given size
    EXPECT_EQ(getLibraryDirectory(nullptr, 10), nullptr);
}

TEST(LibraryDirectory, FilePathAppendsTheNameOrFailsWhole) {
    char buffer[kLibraryPathSize];
    ASSERT_TRUE(makeLibraryFilePath(buffer, sizeof buffer, "Kelvox2Skin.txt"));
    EXPECT_EQ(std::string(buffer), executableDirectory() + "Kelvox2Skin.txt");

    const std::string tooLong(kLibraryPathSize, 'n');
    EXPECT_FALSE(makeLibraryFilePath(buffer, sizeof buffer, tooLong.c_str()));
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_FALSE(makeLibraryFilePath(buffer, sizeof buffer, nullptr));
}

TEST(ReadWholeFile, ReturnsExactBytesOrNullWithLengthZero) {
    ScratchDir dir;
    std::string content = "line one\r\nline two\n";
    content.push_back('\0');
    content += std::string(70000, 'z');  // several system reads' worth
    const std::string path = dir.write("data.bin", content);
    std::uint64_t length = 0;
    auto bytes = readWholeFile(path.c_str(), &length);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(length, content.size());
    EXPECT_EQ(std::memcmp(bytes.get(), content.data(), content.size()), 0);

    length = 5;
    EXPECT_EQ(readWholeFile((dir.path() + "/missing.bin").c_str(), &length), nullptr);
    EXPECT_EQ(length, 0u);
    length = 5;
    EXPECT_EQ(readWholeFile(dir.write("empty.bin", "").c_str(), &length), nullptr);
    EXPECT_EQ(length, 0u);
    length = 5;
    EXPECT_EQ(readWholeFile(dir.path().c_str(), &length), nullptr);  // a folder
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(readWholeFile(nullptr, &length), nullptr);
    EXPECT_NE(readWholeFile(path.c_str()), nullptr);  // length output is optional
}

TEST(FileSource, ReadsAFileAndReopensAnother) {
    ScratchDir dir;
    const std::string first = dir.write("a.txt", "abcdef");
    const std::string second = dir.write("b.txt", "xy");
    KFileSource source;
    EXPECT_FALSE(source.isOpen());
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(source.read(buffer, sizeof buffer), 0u);

    ASSERT_TRUE(source.open(first.c_str()));
    EXPECT_EQ(source.size(), 6u);
    EXPECT_EQ(source.read(buffer, 4), 4u);
    EXPECT_EQ(std::memcmp(buffer, "abcd", 4), 0);
    EXPECT_EQ(source.read(buffer, 4), 2u);
    EXPECT_EQ(source.read(buffer, 4), 0u);

    ASSERT_TRUE(source.open(second.c_str()));
    EXPECT_EQ(source.read(buffer, 4), 2u);
    EXPECT_EQ(std::memcmp(buffer, "xy", 2), 0);

    EXPECT_FALSE(source.open((dir.path() + "/missing.txt").c_str()));
    EXPECT_FALSE(source.isOpen());
    EXPECT_FALSE(source.open(dir.path().c_str()));
    KFileSource direct(first.c_str());
    EXPECT_TRUE(direct.isOpen());
}

}  // namespace
}  // namespace kx
