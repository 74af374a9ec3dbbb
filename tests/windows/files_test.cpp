// Files, the library's folder and the module's "USER_RES" resources through
// the Win32 calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/byte_source.h"
#include "data/data_block.h"
#include "data/file_access.h"
#include "scratch_folder.h"

namespace kx::testing {
namespace {

std::string programFolder() {
    char path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, n);
    return text.substr(0, text.rfind('\\') + 1);
}

TEST(LibraryDirectory, IsTheFolderOfTheModuleHoldingTheCodeWithItsBackslash) {
    char buffer[kLibraryPathSize];
    char* end = getLibraryDirectory(buffer, sizeof buffer);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(std::string(buffer), programFolder());
    EXPECT_EQ(end, buffer + std::strlen(buffer));
    EXPECT_EQ(end[-1], '\\');

    char path[kLibraryPathSize];
    ASSERT_TRUE(makeLibraryFilePath(path, sizeof path, "Kelvox2Skin.txt"));
    EXPECT_EQ(std::string(path), programFolder() + "Kelvox2Skin.txt");
}

TEST(LibraryDirectory, APathThatFillsTheBufferIsNoPath) {
    char full[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
    ASSERT_GT(length, 0u);
    std::vector<char> exact(length);  // no room for the terminator
    EXPECT_EQ(getLibraryDirectory(exact.data(), exact.size()), nullptr);
    EXPECT_EQ(exact[0], '\0');
    std::vector<char> enough(length + 1);
    EXPECT_NE(getLibraryDirectory(enough.data(), enough.size()), nullptr);
    EXPECT_EQ(getLibraryDirectory(nullptr, 10), nullptr);
}

TEST(WholeFile, ReadsEveryByteOrNothing) {
    ScratchFolder folder;
    const std::string bytes("line\r\n\0\xff end", 12);
    uint64_t length = 99;
    auto data = readWholeFile(folder.write("data.bin", bytes).c_str(), &length);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(length, bytes.size());
    EXPECT_EQ(std::memcmp(data.get(), bytes.data(), bytes.size()), 0);

    for (const std::string& path : {folder.write("empty.txt", ""), folder.file("missing.txt"), folder.path(),
                                    std::string("NUL"), std::string("CON"), std::string()}) {
        length = 99;
        EXPECT_EQ(readWholeFile(path.c_str(), &length), nullptr) << path;
        EXPECT_EQ(length, 0u) << path;
    }
    EXPECT_EQ(readWholeFile(nullptr), nullptr);
}

TEST(WholeFile, AFileLockedByAnotherProgramIsNotRead) {
    ScratchFolder folder;
    const std::string path = folder.write("locked.txt", "secret");
    const HANDLE other = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(readWholeFile(path.c_str()), nullptr);
    CloseHandle(other);
    EXPECT_NE(readWholeFile(path.c_str()), nullptr);
}

TEST(FileSource, DeliversTheFileInPiecesThenNothingAndLetsGoOfIt) {
    ScratchFolder folder;
    const std::string first = folder.write("first.txt", "0123456789abcdefghij");
    const std::string second = folder.write("second.txt", "xyz");
    {
        KFileSource source(first.c_str());
        ASSERT_TRUE(source.isOpen());
        EXPECT_EQ(source.size(), 20u);
        std::string got;
        uint8_t buffer[7];
        while (size_t n = source.read(buffer, sizeof buffer))
            got.append(reinterpret_cast<char*>(buffer), n);
        EXPECT_EQ(got, "0123456789abcdefghij");
        EXPECT_EQ(source.read(buffer, sizeof buffer), 0u);

        // Opening another file closes the first: it can be deleted now.
        ASSERT_TRUE(source.open(second.c_str()));
        EXPECT_TRUE(DeleteFileA(first.c_str()));
        EXPECT_FALSE(DeleteFileA(second.c_str()));  // still open, without delete sharing
        EXPECT_FALSE(source.open(first.c_str()));
        EXPECT_FALSE(source.isOpen());
        EXPECT_EQ(source.read(buffer, sizeof buffer), 0u);
        ASSERT_TRUE(source.open(second.c_str()));
    }
    EXPECT_TRUE(DeleteFileA(second.c_str()));  // the destructor closed it
}

// The test program carries resources of the type USER_RES (resources.rc).
TEST(ModuleResources, AreFoundAfterTheRegistryUnderTheirResourceName) {
    KDataBlock block;
    const uint8_t* bytes = loadEmbedded(block, "kx_test.text.txt");  // KX_TEST_TEXT_TXT
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), block.length()), "from the resource\r\n");
    EXPECT_FALSE(block.owned());

    // The first 63 characters of a longer name are the resource name.
    const std::string name63 = "abcdefghijklmnopqrstuvwxyz.0123456789.abcdefghijklmnopqrstuvwxy";
    ASSERT_EQ(name63.size(), 63u);
    EXPECT_NE(loadEmbedded(block, (name63 + "z.txt").c_str()), nullptr);
    EXPECT_EQ(block.length(), 19u);

    // The built-in file comes first even when a resource has its name.
    ASSERT_NE(loadEmbedded(block, "Kelvox2Preset.txt"), nullptr);
    EXPECT_EQ(block.length(), 19u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.bytes()), 17), "# Kelvox2 Presets");

    // An empty resource, a missing one and no name at all give nothing.
    EXPECT_EQ(loadEmbedded(block, "kx.empty"), nullptr);
    EXPECT_EQ(loadEmbedded(block, "a.b.txt"), nullptr);
    EXPECT_EQ(loadEmbedded(block, nullptr), nullptr);
    EXPECT_TRUE(block.empty());

    KMemorySource source("KX_TEST.TEXT.TXT");
    ASSERT_TRUE(source.isOpen());
    uint8_t buffer[64];
    EXPECT_EQ(source.read(buffer, sizeof buffer), 19u);
    EXPECT_EQ(source.read(buffer, sizeof buffer), 0u);
}

}  // namespace
}  // namespace kx::testing
