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
    *os << (c.opcode == audioMasterBeginEdit ? "begin(" : c.opcode == audioMasterEndEdit ? "end(" : "automate(")
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
        case audioMasterEndEdit:
            hostCalls().push_back({opcode, index, opt});
            return 1;
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
    double value(const char* name) const { return effect->getBank().param(param(name))->getValue(
        effect->getBank().slotOf(effect->getCurrentProgram(), param(name))); }
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
