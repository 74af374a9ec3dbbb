// The decoder's pixels against libpng's, on the PNG suite, the hand-made
// edge cases and a large encoded image.
#include "graphics/png_decoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "png_reference.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using test::decodeWithLibpng;
using test::readFile;

const std::string kPngDir = std::string(KX_TESTDATA_DIR) + "/png/";

std::unique_ptr<KImage> decodeFile(const std::string& path, PngError* reason = nullptr) {
    const std::vector<uint8_t> bytes = readFile(path);
    return decodePng(bytes.data(), bytes.size(), reason);
}

void expectSamePixels(const KImage& ours, const KImage& theirs, const std::string& name) {
    ASSERT_EQ(ours.width, theirs.width) << name;
    ASSERT_EQ(ours.height, theirs.height) << name;
    for (int32_t y = 0; y < ours.height; ++y)
        for (int32_t x = 0; x < ours.width; ++x)
            ASSERT_EQ(ours.at(x, y), theirs.at(x, y)) << name << " at " << x << "," << y;
}

// Every PngSuite image that decodes gives libpng's pixels.
TEST(PngSuite, DecodedImagesMatchLibpng) {
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(kPngDir)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png")
            continue;
        auto image = decodeFile(entry.path().string());
        if (!image)
            continue;  // refused: png_decoder_test.cpp checks which
        auto reference = decodeWithLibpng(readFile(entry.path().string()));
        ASSERT_TRUE(reference.has_value()) << name;
        expectSamePixels(*image, *reference, name);
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

// Accepted images on which libpng, by its own rules, differs or refuses;
// their pixels are checked one by one below.
const std::set<std::string> kOwnRules = {"pal8-trns-longer-than-plte.png",
                                         "pal8-no-plte.png",
                                         "pal8-plte-trns-after-idat.png",
                                         "short-stream.png",
                                         "no-adler32.png",
                                         "dynamic-incomplete-code-ok.png",
                                         "idat-split-unknown-chunk.png",
                                         "dynamic-hlit288-hdist32.png",
                                         "grey8-trns-key-above-255.png"};

TEST(PngEdgeCases, DecodedLikeLibpngUnlessTheirOwnRulesApply) {
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(kPngDir + "edge")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png" || kOwnRules.count(name))
            continue;
        auto image = decodeFile(entry.path().string());
        if (!image)
            continue;  // refused: png_decoder_test.cpp checks the reason
        auto reference = decodeWithLibpng(readFile(entry.path().string()));
        if (!reference) {
            ADD_FAILURE() << name << ": libpng refuses it";
            continue;
        }
        expectSamePixels(*image, *reference, name);
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

TEST(PngDecoder, LargeImageRoundTripsThroughLibpng) {
    // Noise with long runs: literals, short and far matches, every filter.
    const uint32_t w = 300, h = 120;
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    uint32_t seed = 12345;
    for (size_t i = 0; i < rgba.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const size_t x = (i / 4) % w, y = i / 4 / w;
        rgba[i] = (y % 7 == 3) ? uint8_t(x) : uint8_t((x * 3 + y * 5 + (i & 3) * 40) + ((seed >> 28) & 7));
    }
    const std::vector<uint8_t> png = test::encodeRgbaWithLibpng(rgba, w, h);
    auto image = decodePng(png.data(), png.size());
    ASSERT_NE(image, nullptr);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const uint32_t expected = uint32_t(rgba[4 * i + 3]) << 24 | uint32_t(rgba[4 * i]) << 16 |
                                  uint32_t(rgba[4 * i + 1]) << 8 | rgba[4 * i + 2];
        ASSERT_EQ(image->pixels[i], expected) << i;
    }
}

}  // namespace
}  // namespace kx
