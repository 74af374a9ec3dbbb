// Built-in images: decoded once per process, when first drawn, and shared
// by every skin.
#include "skin_fixture.h"

#include "data/data_block.h"
#include "graphics/png_decoder.h"
#include "graphics/resource.h"
#include "graphics/shared_image.h"

namespace kx::testing {
namespace {

const char* const kBuiltInImages[] = {"Kelvox2.png", "Kelvox2PartRnd.png", "Kelvox2FullRnd.png", "Kelvox2AutoLvl.png"};

const KSharedImage* builtIn(const char* name) {
    KDataBlock block;
    if (!loadEmbedded(block, name))
        return nullptr;
    return KSharedImage::forBuiltIn(block.bytes(), size_t(block.length()));
}

// A skin takes a built-in image's size from its header and decodes it when
// it is drawn, which is the same as decoding it at once only because every
// built-in image decodes in full.
TEST(SharedImage, EveryBuiltInImageDecodesToTheSizeItsHeaderGives) {
    for (const char* name : kBuiltInImages) {
        KDataBlock block;
        ASSERT_TRUE(loadEmbedded(block, name)) << name;
        std::unique_ptr<KImage> decoded = decodePng(block.bytes(), size_t(block.length()));
        ASSERT_TRUE(decoded) << name;
        const KSharedImage* shared = builtIn(name);
        ASSERT_TRUE(shared) << name;
        EXPECT_EQ(shared->width(), decoded->width) << name;
        EXPECT_EQ(shared->height(), decoded->height) << name;
        EXPECT_EQ(shared->pixels().pixels, decoded->pixels) << name;
    }
    EXPECT_EQ(builtIn("Kelvox2Preset.txt"), nullptr);  // not an image: refused
}

TEST_F(SkinTest, TwoSkinsShareOneBackgroundDecodedOnlyWhenFirstDrawn) {
    const KSharedImage* background = builtIn("Kelvox2.png");
    ASSERT_TRUE(background);
    const bool decodedBefore = background->isDecoded();  // false when this test runs alone

    KMemorySource first(kSkinFileName), second(kSkinFileName);
    std::unique_ptr<KSkin> a = parseSkin(first, effect.get());
    std::unique_ptr<KSkin> b = parseSkin(second, effect.get());
    ASSERT_TRUE(a && b);
    const KImageResource* imageA = a->findImage("bgimg");
    const KImageResource* imageB = b->findImage("bgimg");
    ASSERT_TRUE(imageA && imageB);
    EXPECT_EQ(imageA->shared(), background);
    EXPECT_EQ(imageB->shared(), background);
    EXPECT_EQ(background->isDecoded(), decodedBefore);  // parsing decodes nothing
    EXPECT_EQ(imageA->columns(), 2);
    EXPECT_EQ(imageA->rows(), 1);

    skin = std::move(a);
    skin->setWindow(&window);
    skin->WindowOpened();
    paintNew();
    EXPECT_TRUE(background->isDecoded());
    EXPECT_EQ(&imageA->bitmap(), &imageB->bitmap());  // one set of pixels for both
    EXPECT_EQ(imageB->bitmap().width, 1330);
}

}  // namespace
}  // namespace kx::testing
