#include "graphics/png_decoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "test_files.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using test::readFile;

const std::string kPngDir = std::string(KX_TESTDATA_DIR) + "/png/";

std::unique_ptr<KImage> decodeFile(const std::string& path, PngError* reason = nullptr) {
    const std::vector<uint8_t> bytes = readFile(path);
    return decodePng(bytes.data(), bytes.size(), reason);
}

// PngSuite: interlaced images (the fourth letter 'i') and the corrupt x*
// files are refused, except those whose only fault is a CRC, which is not
// checked; every other image decodes (to libpng's pixels:
// png_libpng_test.cpp).
TEST(PngSuite, InterlacedAndCorruptImagesAreRefusedTheOthersDecode) {
    const std::set<std::string> acceptedCorrupt = {"xcsn0g01.png", "xhdn0g08.png"};
    int decoded = 0, refused = 0;
    for (const auto& entry : fs::directory_iterator(kPngDir)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png")
            continue;
        const bool interlaced = name.size() > 3 && name[3] == 'i';
        const bool corrupt = name[0] == 'x' && !acceptedCorrupt.count(name);
        PngError reason = PngError::none;
        auto image = decodeFile(entry.path().string(), &reason);
        if (interlaced || corrupt) {
            EXPECT_EQ(image, nullptr) << name;
            EXPECT_NE(reason, PngError::none) << name;
            ++refused;
            continue;
        }
        ASSERT_NE(image, nullptr) << name << ": " << pngErrorText(reason);
        EXPECT_EQ(reason, PngError::none);
        ++decoded;
    }
    EXPECT_GT(decoded, 100);
    EXPECT_GT(refused, 40);
}

const std::map<std::string, PngError> kRefusedEdgeCases = {
    {"backref-before-start.png", PngError::distanceTooFar},
    {"block-type-3.png", PngError::badBlockType},
    {"chunk-length-overrun.png", PngError::chunkOverrun},
    {"dynamic-incomplete-code-walk-empty.png", PngError::badCode},
    {"dynamic-oversubscribed-codelengths.png", PngError::badCodeLengths},
    {"dynamic-oversubscribed-litlen.png", PngError::badCodeLengths},
    {"dynamic-repeat-past-end.png", PngError::badCodeLengths},
    {"dynamic-repeat16-first.png", PngError::badCodeLengths},
    {"dynamic-symbol-286.png", PngError::badSymbol},
    {"filter-byte-5.png", PngError::badFilter},
    // The fixed distance code has no code for symbol 30: an empty part of the tree.
    {"fixed-distance-symbol-30.png", PngError::badCode},
    {"fixed-symbol-287.png", PngError::badSymbol},
    {"grey-alpha-depth4-header.png", PngError::unsupportedHeader},
    {"huge-dimensions.png", PngError::tooLarge},
    {"ihdr-not-first.png", PngError::ihdrNotFirst},
    {"no-iend.png", PngError::noIend},
    {"palette-depth16-header.png", PngError::unsupportedDepth},
    {"rgb-depth4-header.png", PngError::unsupportedHeader},
    {"stored-bad-nlen.png", PngError::badStoredLength},
    {"stored-block-beyond-buffer.png", PngError::outputOverrun},
    {"stream-cut-before-end-of-block.png", PngError::inputOverrun},
    {"too-much-data.png", PngError::outputOverrun},
    {"truncated-29-bytes.png", PngError::tooShort},
    {"truncated-in-idat.png", PngError::chunkOverrun},
    {"zero-height.png", PngError::zeroSize},
    {"zero-width.png", PngError::zeroSize},
    {"zlib-bad-fcheck.png", PngError::badZlibHeader},
    {"zlib-method-7.png", PngError::badZlibHeader},
    {"zlib-preset-dictionary.png", PngError::badZlibHeader},
    {"zlib-window-64k.png", PngError::badZlibHeader},
};

// Every hand-made edge case: the refused ones with their reason; the others
// decode (their pixels are compared with libpng's in png_libpng_test.cpp).
TEST(PngEdgeCases, RefusedWithTheirReasonOrDecoded) {
    int seen = 0;
    for (const auto& entry : fs::directory_iterator(kPngDir + "edge")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png")
            continue;
        ++seen;
        PngError reason = PngError::none;
        auto image = decodeFile(entry.path().string(), &reason);
        if (auto refusal = kRefusedEdgeCases.find(name); refusal != kRefusedEdgeCases.end()) {
            EXPECT_EQ(image, nullptr) << name;
            EXPECT_EQ(reason, refusal->second) << name << ": " << pngErrorText(reason);
            continue;
        }
        EXPECT_NE(image, nullptr) << name << ": " << pngErrorText(reason);
    }
    EXPECT_EQ(seen, 61);
}

TEST(PngEdgeCases, SamplesTransparencyAndPalettesFollowTheirOwnRules) {
    auto grey = decodeFile(kPngDir + "edge/grey8-1x1-0x80.png");
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(grey->pixels, std::vector<uint32_t>{0xFF808080u});

    // The key (255, 0, 255) makes exactly the matching pixels transparent.
    auto keyed = decodeFile(kPngDir + "edge/rgb8-trns-key-ff00ff.png");
    ASSERT_NE(keyed, nullptr);
    int transparent = 0;
    for (uint32_t p : keyed->pixels) {
        if (p >> 24 == 0) {
            EXPECT_EQ(p, 0x00FF00FFu);
            ++transparent;
        } else {
            EXPECT_EQ(p >> 24, 0xFFu);
        }
    }
    EXPECT_EQ(transparent, 2);

    // Indices beyond the 5 palette entries are black; beyond the 3 tRNS entries opaque.
    auto pal = decodeFile(kPngDir + "edge/pal4-index-beyond-plte-short-trns.png");
    ASSERT_NE(pal, nullptr);
    for (int32_t x = 0; x < 16; ++x) {
        const uint32_t p = pal->at(x, 0);
        SCOPED_TRACE(x);
        if (x >= 3) {
            EXPECT_EQ(p >> 24, 0xFFu);
        }
        if (x >= 5) {
            EXPECT_EQ(p & 0xFFFFFFu, 0u);
        }
    }

    // tRNS longer than PLTE: indices 2 and 3 are black with their own alpha.
    auto longAlpha = decodeFile(kPngDir + "edge/pal8-trns-longer-than-plte.png");
    ASSERT_NE(longAlpha, nullptr);
    std::set<uint32_t> alphas;
    for (uint32_t p : longAlpha->pixels) {
        alphas.insert(p >> 24);
        if (p >> 24 == 30 || p >> 24 == 40) {
            EXPECT_EQ(p & 0xFFFFFFu, 0u);
        }
    }
    EXPECT_EQ(alphas, (std::set<uint32_t>{10, 20, 30, 40}));

    // No PLTE at all: every pixel black and opaque.
    auto noPalette = decodeFile(kPngDir + "edge/pal8-no-plte.png");
    ASSERT_NE(noPalette, nullptr);
    for (uint32_t p : noPalette->pixels)
        EXPECT_EQ(p, 0xFF000000u);

    // Chunk order is not checked: PLTE and tRNS after IDAT still count.
    auto late = decodeFile(kPngDir + "edge/pal8-plte-trns-after-idat.png");
    ASSERT_NE(late, nullptr);
    EXPECT_NE(late->pixels, std::vector<uint32_t>(8, 0xFF000000u));

    // A 16-bit key compares all 16 bits; an 8-bit image never matches a key above 255.
    auto grey16 = decodeFile(kPngDir + "edge/grey16-trns-key-full16.png");
    auto rgb16 = decodeFile(kPngDir + "edge/rgb16-trns-key-full16.png");
    auto above = decodeFile(kPngDir + "edge/grey8-trns-key-above-255.png");
    ASSERT_TRUE(grey16 && rgb16 && above);
    auto countTransparent = [](const KImage& im) {
        int n = 0;
        for (uint32_t p : im.pixels)
            n += p >> 24 == 0;
        return n;
    };
    EXPECT_GT(countTransparent(*grey16), 0);
    EXPECT_LT(countTransparent(*grey16), 8);
    EXPECT_GT(countTransparent(*rgb16), 0);
    EXPECT_LT(countTransparent(*rgb16), 8);
    EXPECT_EQ(countTransparent(*above), 0);
}

TEST(PngEdgeCases, StreamLayoutDoesNotChangeThePixels) {
    auto single = decodeFile(kPngDir + "edge/idat-single.png");
    auto split = decodeFile(kPngDir + "edge/idat-split-unknown-chunk.png");
    auto bytewise = decodeFile(kPngDir + "edge/idat-1byte-chunks.png");
    ASSERT_TRUE(single && split && bytewise);
    EXPECT_EQ(single->pixels, split->pixels);
    EXPECT_EQ(single->pixels, bytewise->pixels);

    // Checksums, extra bytes and trailing data are not looked at.
    auto plain = decodeFile(kPngDir + "edge/no-adler32.png");
    for (const char* name :
         {"adler32-wrong.png", "bytes-after-final-block.png", "crc-ihdr-and-idat-wrong.png", "data-after-iend.png"}) {
        auto other = decodeFile(kPngDir + "edge/" + name);
        ASSERT_TRUE(plain && other) << name;
        EXPECT_EQ(plain->pixels, other->pixels) << name;
    }

    // A stream that ends early leaves the rest of the rows zero: rows 0..3 and
    // three samples of row 4 come from the data.
    auto shortStream = decodeFile(kPngDir + "edge/short-stream.png");
    ASSERT_NE(shortStream, nullptr);
    for (int32_t y = 4; y < 8; ++y)
        for (int32_t x = (y == 4 ? 3 : 0); x < 8; ++x)
            EXPECT_EQ(shortStream->at(x, y), 0xFF000000u) << x << "," << y;
}

// The hand-made DEFLATE streams all carry the grey ramp (29 x + 71 y) mod 256.
TEST(PngEdgeCases, IncompleteAndFullSizeCodesDecode) {
    for (const char* name : {"dynamic-incomplete-code-ok.png", "dynamic-hlit288-hdist32.png"}) {
        auto image = decodeFile(kPngDir + "edge/" + name);
        ASSERT_NE(image, nullptr) << name;
        for (int32_t y = 0; y < image->height; ++y)
            for (int32_t x = 0; x < image->width; ++x) {
                const uint32_t v = uint32_t(29 * x + 71 * y) & 0xFFu;
                ASSERT_EQ(image->at(x, y), 0xFF000000u | v * 0x010101u) << name << " " << x << "," << y;
            }
    }
}

TEST(PngDecoder, NullAndTinyInputsAreRefused) {
    PngError reason = PngError::none;
    EXPECT_EQ(decodePng(nullptr, 100, &reason), nullptr);
    EXPECT_EQ(reason, PngError::tooShort);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_EQ(decodePng(signature, sizeof signature, &reason), nullptr);
    EXPECT_EQ(reason, PngError::tooShort);
    std::vector<uint8_t> bytes = readFile(kPngDir + "basn0g08.png");
    bytes[1] = 'Q';
    EXPECT_EQ(decodePng(bytes.data(), bytes.size(), &reason), nullptr);
    EXPECT_EQ(reason, PngError::badSignature);
}

// Every byte of a few files inverted, zeroed and bit-flipped, then every
// truncation: whatever happens, no crash, and what decodes has a sane size.
// Width and height get only low-bit flips: a header may legitimately claim
// gigabytes of pixels, which the decoder then allocates and fills.
TEST(PngDecoder, CorruptAndTruncatedFilesNeverCrash) {
    for (const std::string name : {"basn6a08.png", "basn3p04.png", "basn0g16.png", "edge/idat-split-unknown-chunk.png",
                                   "edge/mixed-blocks-overlapping-copies.png"}) {
        const std::vector<uint8_t> good = readFile(kPngDir + name);
        ASSERT_FALSE(good.empty()) << name;
        auto check = [&](const std::vector<uint8_t>& bytes) {
            PngError reason;
            auto image = decodePng(bytes.data(), bytes.size(), &reason);
            if (image) {
                ASSERT_GT(image->width, 0);
                ASSERT_GT(image->height, 0);
                ASSERT_EQ(image->pixels.size(), size_t(image->width) * size_t(image->height));
            } else {
                ASSERT_NE(reason, PngError::none);
            }
        };
        std::vector<uint8_t> bytes = good;
        for (size_t i = 0; i < good.size(); ++i) {
            if (i >= 16 && i < 24) {
                for (uint8_t v : {uint8_t(good[i] ^ 1), uint8_t(good[i] ^ 2)}) {
                    bytes[i] = i % 4 == 3 ? v : good[i];
                    check(bytes);
                }
                bytes[i] = good[i];
                continue;
            }
            for (uint8_t v : {uint8_t(~good[i]), uint8_t(0), uint8_t(good[i] ^ 1), uint8_t(good[i] ^ 0x80)}) {
                bytes[i] = v;
                check(bytes);
            }
            bytes[i] = good[i];
        }
        for (size_t n = 0; n < good.size(); ++n)
            check(std::vector<uint8_t>(good.begin(), good.begin() + n));
    }
}

}  // namespace
}  // namespace kx
