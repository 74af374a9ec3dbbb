// Shared by the skin and control tests: an in-process instrument whose host
// callback records the edit notifications, skins parsed from text, and a
// canvas to paint them on.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "controls/control.h"
#include "data/byte_source.h"
#include "editor/link_launcher.h"
#include "graphics/canvas.h"
#include "instrument/synth_effect.h"
#include "skin/skin.h"
#include "skin/skin_parser.h"
#include "skin/skin_window.h"

namespace kx::testing {

struct HostCall {
    int opcode;
    int index;
    float value;
    bool operator==(const HostCall& o) const { return opcode == o.opcode && index == o.index; }
};

inline void PrintTo(const HostCall& c, std::ostream* os) {
    *os << (c.opcode == audioMasterBeginEdit ? "begin("
            : c.opcode == audioMasterEndEdit ? "end("
                                             : "automate(")
        << c.index << ")";
}

// The host callback is a plain function, so the record is process-wide; each
// fixture clears it.
inline std::vector<HostCall>& hostCalls() {
    static std::vector<HostCall> calls;
    return calls;
}

inline VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float opt) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return 48000;
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), opcode == audioMasterGetVendorString ? "Vend" : "Prod");
        return 1;
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit: hostCalls().push_back({opcode, index, opt}); return 1;
    default: return 0;
    }
}

// The three notifications, in a form that reads well in expectations.
inline HostCall begin(int index) { return {audioMasterBeginEdit, index, 0}; }
inline HostCall automate(int index) { return {audioMasterAutomate, index, 0}; }
inline HostCall end(int index) { return {audioMasterEndEdit, index, 0}; }

class CountingWindow : public KSkinWindow {
public:
    bool isLive() const override { return live; }
    void invalidate() override { ++invalidations; }
    void openTextEntry(int x, int y, int w, int h, const KFontResource*, int paramIndex) override {
        entries.push_back({x, y, w, h, paramIndex});
    }
    // Links open as in the editor, through the launcher the tests can replace.
    void openLink(const char* target) override { kx::openLink(target); }
    struct Entry {
        int x, y, w, h, param;
    };
    bool live = true;
    int invalidations = 0;
    std::vector<Entry> entries;
};

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostCalls().clear();
        effect.reset(new SynthEffect(recordingHost));
    }

    // Parses the script; the window is attached and the skin opened.
    KSkin* load(const std::string& script, KSkinDiagnostics* diagnostics = nullptr) {
        KMemorySource source(reinterpret_cast<const uint8_t*>(script.data()), script.size());
        skin = parseSkin(source, effect.get(), nullptr, diagnostics);
        if (skin) {
            skin->setWindow(&window);
            skin->WindowOpened();
        }
        return skin.get();
    }

    // A canvas of the skin's size, reset and painted once.
    KCanvas& paintNew() {
        canvas = std::make_unique<KCanvas>(skin->width(), skin->height());
        skin->ResetCanvas(*canvas);
        skin->Paint(*canvas);
        return *canvas;
    }
    void paint() { skin->Paint(*canvas); }

    uint32_t pixel(int x, int y) const { return canvas->pixels()[size_t(y) * canvas->width() + x] & 0xFFFFFF; }

    int param(const char* name) const { return effect->findParameter(name); }
    double value(const char* name) const {
        return effect->getBank()
            .param(param(name))
            ->getValue(effect->getBank().slotOf(effect->getCurrentProgram(), param(name)));
    }
    void setValue(const char* name, double v) { effect->setParameterValue(param(name), v); }

    std::unique_ptr<KEffect> effect;
    std::unique_ptr<KSkin> skin;
    std::unique_ptr<KCanvas> canvas;
    CountingWindow window;
};

// Colours and a font most test scripts use.
inline const char* const kBasicResources =
    "AddResource red RGBColour 255 0 0\n"
    "AddResource green RGBColour 0 255 0\n"
    "AddResource blue RGBColour 0 0 255\n"
    "AddResource half RGBAColour 255 255 255 128\n"
    "AddResource font DefFont 12 red\n";

}  // namespace kx::testing

#include "data/tokenizer.h"
#include "graphics/resource.h"
#include "skin/skin_factory.h"

namespace kx::testing {

// The colour frame n of a test image is filled with.
inline uint32_t frameColour(int n) {
    return packPixel(uint8_t(10 * (n + 1)), uint8_t(20 * (n + 1)), uint8_t(30 * (n + 1)));
}

// An image of frames fw x fh laid out in `columns` columns, frame n filled
// with frameColour(n) and its top-left pixel marked white.
inline std::unique_ptr<KImage> makeFrameImage(int fw, int fh, int count, int columns) {
    auto img = std::make_unique<KImage>();
    int rows = (count + columns - 1) / columns;
    img->width = fw * columns;
    img->height = fh * rows;
    img->pixels.assign(size_t(img->width) * img->height, 0);
    for (int n = 0; n < count; ++n)
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x)
                img->pixels[size_t((n / columns) * fh + y) * img->width + (n % columns) * fw + x] =
                    x == 0 && y == 0 ? 0xFFFFFFFFu : frameColour(n);
    return img;
}

// Adds the resource kind "TestImage fw fh count [columns] [declared]" so that
// tests need no PNG files: `declared` frames are declared over `count` painted
// ones (default: the same).
class TestFactory : public KSkinFactory {
public:
    using KSkinFactory::KSkinFactory;
    std::unique_ptr<KResource> CreateResource(KTokenizer& t) override {
        int at = t.cursor();
        if (!t.wordIs(at, "TestImage"))
            return KSkinFactory::CreateResource(t);
        int fw = t.wordAsInteger(at + 1), fh = t.wordAsInteger(at + 2), count = t.wordAsInteger(at + 3);
        int columns = t.getWord(at + 4) ? t.wordAsInteger(at + 4) : count;
        int declared = t.getWord(at + 5) ? t.wordAsInteger(at + 5) : count;
        return std::make_unique<KImageResource>(makeFrameImage(fw, fh, count, columns), fw, fh, declared);
    }
};

class ImageSkinTest : public SkinTest {
protected:
    KSkin* loadWithImages(const std::string& script) {
        KMemorySource source(reinterpret_cast<const uint8_t*>(script.data()), script.size());
        TestFactory factory(effect.get());
        skin = parseSkin(source, effect.get(), &factory);
        if (skin) {
            skin->setWindow(&window);
            skin->WindowOpened();
        }
        return skin.get();
    }
};

}  // namespace kx::testing
