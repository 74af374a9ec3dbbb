#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/byte_source.h"
#include "data/data_block.h"
#include "data/embedded_file.h"

namespace kx {
namespace {

TEST(EmbeddedFiles, PresetFileIsTheHeaderLineWithCrLf) {
    std::uint64_t length = 99;
    const std::uint8_t* bytes = findEmbeddedFile("Kelvox2Preset.txt", &length);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(length, 19u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 19), "# Kelvox2 Presets\r\n");
}

TEST(EmbeddedFiles, LookupIgnoresLetterCaseOverTheWholeName) {
    const std::uint8_t* exact = findEmbeddedFile("Kelvox2Preset.txt");
    ASSERT_NE(exact, nullptr);
    std::uint64_t length = 0;
    EXPECT_EQ(findEmbeddedFile("kelvox2preset.txt", &length), exact);
    EXPECT_EQ(length, 19u);
    EXPECT_EQ(findEmbeddedFile("KELVOX2PRESET.TXT"), exact);

    length = 7;
    EXPECT_EQ(findEmbeddedFile("Kelvox2Preset.tx", &length), nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(findEmbeddedFile("Kelvox2Preset.txt ", nullptr), nullptr);
    EXPECT_EQ(findEmbeddedFile("", &length), nullptr);
    EXPECT_EQ(findEmbeddedFile(nullptr, &length), nullptr);
}

TEST(EmbeddedFiles, RegistryFollowsTheKnownOrderThenTheRestByName) {
    const std::vector<std::string> known = {"Kelvox2Skin.txt",    "Kelvox2Preset.txt",  "Kelvox2.png",
                                            "Kelvox2AutoLvl.png", "Kelvox2FullRnd.png", "Kelvox2PartRnd.png"};
    std::vector<std::string> names;
    for (std::size_t i = 0; i < embeddedFileCount(); ++i) {
        const KEmbeddedFile* file = embeddedFileAt(i);
        ASSERT_NE(file, nullptr);
        ASSERT_NE(file->bytes, nullptr);
        names.emplace_back(file->name);
    }
    EXPECT_EQ(embeddedFileAt(embeddedFileCount()), nullptr);

    // Known names keep their relative order and precede every other file.
    std::size_t next = 0;
    bool inExtras = false;
    std::string lastExtra;
    for (const std::string& name : names) {
        std::size_t k = 0;
        while (k < known.size() && known[k] != name)
            ++k;
        if (k < known.size()) {
            EXPECT_FALSE(inExtras) << name << " registered after an unknown file";
            EXPECT_GE(k, next) << name << " out of order";
            next = k + 1;
        } else {
            EXPECT_GT(name, lastExtra) << "extra files are sorted by name";
            inExtras = true;
            lastExtra = name;
        }
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "Kelvox2Preset.txt"), names.end());
}

TEST(EmbeddedFiles, SkinFileWhenPresentIsFoundInLowerCase) {
    std::uint64_t length = 0;
    const std::uint8_t* exact = findEmbeddedFile("Kelvox2Skin.txt", &length);
    if (exact == nullptr)
        GTEST_SKIP() << "no skin script built in yet";
    std::uint64_t lowerLength = 0;
    EXPECT_EQ(findEmbeddedFile("kelvox2skin.txt", &lowerLength), exact);
    EXPECT_EQ(lowerLength, length);
    EXPECT_GT(length, 0u);
}

TEST(DataBlock, LoadEmbeddedPointsAtTheRegistryOrEmptiesTheBlock) {
    KDataBlock block;
    const std::uint8_t* bytes = loadEmbedded(block, "KELVOX2PRESET.TXT");
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(block.bytes(), bytes);
    EXPECT_EQ(block.length(), 19u);
    EXPECT_FALSE(block.owned());

    EXPECT_EQ(loadEmbedded(block, "a.b.txt"), nullptr);
    EXPECT_EQ(block.bytes(), nullptr);
    EXPECT_EQ(block.length(), 0u);
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(loadEmbedded(block, nullptr), nullptr);
}

TEST(DataBlock, OwnedBytesAreReleasedOnReuse) {
    // Run under the address sanitizer, a leak or double free shows here.
    KDataBlock block;
    auto buffer = std::make_unique<std::uint8_t[]>(4);
    block.adopt(std::move(buffer), 4);
    EXPECT_TRUE(block.owned());
    EXPECT_EQ(block.length(), 4u);
    ASSERT_NE(loadEmbedded(block, "Kelvox2Preset.txt"), nullptr);
    EXPECT_FALSE(block.owned());
    block.adopt(std::make_unique<std::uint8_t[]>(2), 2);
}

TEST(MemorySource, DeliversTheEmbeddedPresetThenNothing) {
    KMemorySource source("Kelvox2Preset.txt");
    ASSERT_TRUE(source.isOpen());
    std::uint8_t buffer[64] = {};
    EXPECT_EQ(source.read(buffer, sizeof buffer), 19u);
    EXPECT_EQ(std::memcmp(buffer, "# Kelvox2 Presets\r\n", 19), 0);
    EXPECT_EQ(source.read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(source.read(buffer, sizeof buffer), 0u);
}

TEST(MemorySource, ReadsInPiecesAndStaysClosedWithoutData) {
    const std::uint8_t data[] = {1, 2, 3, 4, 5};
    KMemorySource source(data, sizeof data);
    std::uint8_t buffer[2] = {};
    EXPECT_EQ(source.read(buffer, 2), 2u);
    EXPECT_EQ(buffer[1], 2);
    EXPECT_EQ(source.read(buffer, 2), 2u);
    EXPECT_EQ(buffer[1], 4);
    EXPECT_EQ(source.read(buffer, 2), 1u);
    EXPECT_EQ(buffer[0], 5);
    EXPECT_EQ(source.read(buffer, 2), 0u);

    KMemorySource missing("no such file.txt");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.read(buffer, 2), 0u);
    KMemorySource empty(data, 0);
    EXPECT_FALSE(empty.isOpen());
}

}  // namespace
}  // namespace kx
