#include "skin/skin_factory.h"

#include <cstring>
#include <strings.h>

#include "controls/command_button.h"
#include "controls/label.h"
#include "controls/links.h"
#include "controls/meters.h"
#include "controls/page_selectors.h"
#include "controls/param_buttons.h"
#include "controls/pots.h"
#include "controls/slide.h"
#include "controls/text_peak.h"
#include "controls/value_controls.h"
#include "controls/wave_display.h"
#include "data/data_block.h"
#include "data/file_access.h"
#include "data/tokenizer.h"
#include "graphics/png_decoder.h"
#include "skin/resource.h"
#include "skin/skin.h"

namespace kx {

namespace {

// Takes a control's or resource's arguments from the cursor onwards and
// resolves the names; the first missing word or name is remembered and
// makes every later read a no-op.
class ArgReader {
public:
    ArgReader(KTokenizer& tokens, const KSkin& skin) : tokens_(tokens), skin_(skin) {}

    bool ok() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }
    bool require(int count, const char* what) {
        if (tokens_.wordsLeft() < count)
            failWith(std::string(what) + " needs " + std::to_string(count) + " arguments");
        return ok();
    }
    void failWith(const std::string& reason) {
        if (ok())
            reason_ = reason;
    }

    const char* word() { return tokens_.takeWord(); }
    int integer() {
        int at = tokens_.cursor();
        tokens_.skipWords(1);
        return tokens_.wordAsInteger(at);
    }
    double number() {
        int at = tokens_.cursor();
        tokens_.skipWords(1);
        return tokens_.wordAsNumber(at);
    }
    int param() { return found(skin_.findParameter(lookupWord()), "parameter"); }
    int command() { return found(skin_.findCommand(lookupWord()), "command"); }
    const KColourResource* colour() { return found(skin_.findColour(lookupWord()), "colour"); }
    const KImageResource* image() { return found(skin_.findImage(lookupWord()), "image"); }
    const KFontResource* font() { return found(skin_.findFont(lookupWord()), "font"); }
    const KDisplayValue* real() { return found(skin_.findReal(lookupWord()), "real value"); }
    const KDisplayValue* integerValue() { return found(skin_.findInteger(lookupWord()), "integer value"); }
    const KDisplayValue* history() { return found(skin_.findHistory(lookupWord()), "history"); }
    // A marker level that may be absent (or "Null").
    const KDisplayValue* optionalReal() { return skin_.findReal(word()); }

private:
    const char* lookupWord() {
        last_ = word();
        return last_;
    }
    template <typename T>
    T found(T value, const char* what) {
        if (!value)
            failWith(std::string("no ") + what + " named '" + (last_ ? last_ : "") + "'");
        return value;
    }
    int found(int index, const char* what) {
        if (index < 0)
            failWith(std::string("no ") + what + " named '" + (last_ ? last_ : "") + "'");
        return index;
    }

    KTokenizer& tokens_;
    const KSkin& skin_;
    const char* last_ = nullptr;
    std::string reason_;
};

KMarkLook readMarkLook(ArgReader& a) {
    KMarkLook look{};
    look.mark.x = a.integer();
    look.mark.y = a.integer();
    look.mark.w = a.integer();
    look.mark.h = a.integer();
    look.off = a.colour();
    look.on = a.colour();
    look.press = a.colour();
    return look;
}

KWaveLook readWaveLook(ArgReader& a) {
    KWaveLook look{};
    look.history = a.history();
    look.marker1 = a.optionalReal();
    look.marker2 = a.optionalReal();
    look.outer = a.colour();
    look.inner = a.colour();
    look.line = a.colour();
    return look;
}

// Each maker reads its arguments (the type word already taken) and answers
// the control, or null with the reason left in the reader.
using ControlMaker = std::unique_ptr<KControl> (*)(const KControlInit&, ArgReader&);

template <typename T, typename... Args>
std::unique_ptr<KControl> make(ArgReader& a, Args&&... args) {
    if (!a.ok())
        return nullptr;
    return std::make_unique<T>(std::forward<Args>(args)...);
}

std::unique_ptr<KControl> makePotDot(const KControlInit& in, ArgReader& a) {
    if (!a.require(4, "KPotDot"))
        return nullptr;
    int p = a.param();
    auto hl = a.colour();
    double radius = a.number();
    auto dot = a.colour();
    if (!(radius > 0))
        a.failWith("radius must be above 0");
    return make<KPotDot>(a, in, p, hl, radius, dot);
}

std::unique_ptr<KControl> makeBgPotDot(const KControlInit& in, ArgReader& a) {
    if (!a.require(4, "KBgPotDot"))
        return nullptr;
    int p = a.param();
    auto img = a.image();
    double radius = a.number();
    auto dot = a.colour();
    if (!(radius > 0))
        a.failWith("radius must be above 0");
    return make<KBgPotDot>(a, in, p, img, radius, dot);
}

std::unique_ptr<KControl> makePotLine(const KControlInit& in, ArgReader& a) {
    if (!a.require(4, "KPotLine"))
        return nullptr;
    int p = a.param();
    auto hl = a.colour();
    double length = a.number();
    auto line = a.colour();
    return make<KPotLine>(a, in, p, hl, length, line);
}

std::unique_ptr<KControl> makeImgPot(const KControlInit& in, ArgReader& a) {
    if (!a.require(2, "KImgPot"))
        return nullptr;
    int p = a.param();
    auto img = a.image();
    return make<KImgPot>(a, in, p, img);
}

std::unique_ptr<KControl> makeSlide(const KControlInit& in, ArgReader& a) {
    if (!a.require(7, "KSlide"))
        return nullptr;
    int p = a.param();
    auto handle = a.image();
    auto hl = a.colour();
    KRect r;
    r.x = a.integer();
    r.y = a.integer();
    r.w = a.integer();
    r.h = a.integer();
    return make<KSlide>(a, in, p, handle, hl, r);
}

std::unique_ptr<KControl> makeValue(const KControlInit& in, ArgReader& a) {
    if (!a.require(2, "KValue"))
        return nullptr;
    int p = a.param();
    auto font = a.font();
    return make<KValue>(a, in, p, font);
}

std::unique_ptr<KControl> makeBgValue(const KControlInit& in, ArgReader& a) {
    if (!a.require(3, "KBgValue"))
        return nullptr;
    int p = a.param();
    auto img = a.image();
    auto font = a.font();
    return make<KBgValue>(a, in, p, img, font);
}

std::unique_ptr<KControl> makeLabel(const KControlInit& in, ArgReader& a) {
    if (!a.require(4, "KLabel"))
        return nullptr;
    const char* align = a.word();
    const char* text = a.word();
    auto font = a.font();
    int refresh = a.integer();
    return make<KLabel>(a, in, align, text, font, refresh);
}

std::unique_ptr<KControl> makeTextPeak(const KControlInit& in, ArgReader& a) {
    if (!a.require(4, "KTextPeak"))
        return nullptr;
    auto level = a.real();
    int cmd = a.command();
    auto font = a.font();
    auto peakFont = a.font();
    return make<KTextPeak>(a, in, level, cmd, font, peakFont);
}

std::unique_ptr<KControl> makePageSelHlt(const KControlInit& in, ArgReader& a) {
    if (!a.require(2, "KPageSelHlt"))
        return nullptr;
    int page = a.integer();
    auto hl = a.colour();
    if (page <= 0)
        a.failWith("page must be above 0");
    return make<KPageSelHlt>(a, in, page, hl);
}

std::unique_ptr<KControl> makeImgPageSel(const KControlInit& in, ArgReader& a) {
    if (!a.require(2, "KImgPageSel"))
        return nullptr;
    auto img = a.image();
    int page = a.integer();
    if (page <= 0)
        a.failWith("page must be above 0");
    return make<KImgPageSel>(a, in, img, page);
}

std::unique_ptr<KControl> makeImgCommand(const KControlInit& in, ArgReader& a) {
    if (!a.require(2, "KImgCommand"))
        return nullptr;
    int cmd = a.command();
    auto img = a.image();
    return make<KImgCommand>(a, in, cmd, img);
}

std::unique_ptr<KControl> makeUrl(const KControlInit& in, ArgReader& a) {
    if (!a.require(1, "KUrl"))
        return nullptr;
    const char* target = a.word();
    return make<KUrl>(a, in, target);
}

std::unique_ptr<KControl> makeImgUrl(const KControlInit& in, ArgReader& a) {
    if (!a.require(2, "KImgUrl"))
        return nullptr;
    auto img = a.image();
    const char* target = a.word();
    return make<KImgUrl>(a, in, img, target);
}

std::unique_ptr<KControl> makeImgButton(const KControlInit& in, ArgReader& a) {
    if (!a.require(2, "KImgButton"))
        return nullptr;
    int p = a.param();
    auto img = a.image();
    return make<KImgButton>(a, in, p, img);
}

std::unique_ptr<KControl> makeImgSwitch(const KControlInit& in, ArgReader& a) {
    if (!a.require(2, "KImgSwitch"))
        return nullptr;
    int p = a.param();
    auto img = a.image();
    return make<KImgSwitch>(a, in, p, img);
}

std::unique_ptr<KControl> makeHlSwitch(const KControlInit& in, ArgReader& a) {
    if (!a.require(8, "KHlSwitch"))
        return nullptr;
    int p = a.param();
    KMarkLook look = readMarkLook(a);
    return make<KHlSwitch>(a, in, p, look);
}

// Positions outside 0..last would give bands beyond 0..1 (or a division by
// zero), so both radio types insist on them.
void checkRadioPositions(ArgReader& a, int position, int last) {
    if (position < 0 || position > last)
        a.failWith("radio position must lie within 0..last position");
}

std::unique_ptr<KControl> makeImgRadio(const KControlInit& in, ArgReader& a) {
    if (!a.require(4, "KImgRadio"))
        return nullptr;
    int p = a.param();
    int pos = a.integer();
    int last = a.integer();
    auto img = a.image();
    checkRadioPositions(a, pos, last);
    return make<KImgRadio>(a, in, p, pos, last, img);
}

std::unique_ptr<KControl> makeHlRadio(const KControlInit& in, ArgReader& a) {
    if (!a.require(10, "KHlRadio"))
        return nullptr;
    int p = a.param();
    int pos = a.integer();
    int last = a.integer();
    KMarkLook look = readMarkLook(a);
    checkRadioPositions(a, pos, last);
    return make<KHlRadio>(a, in, p, pos, last, look);
}

std::unique_ptr<KControl> makeImg(const KControlInit& in, ArgReader& a) {
    if (!a.require(1, "KImg"))
        return nullptr;
    auto img = a.image();
    return make<KImg>(a, in, img);
}

std::unique_ptr<KControl> makeBarFracMeter(const KControlInit& in, ArgReader& a) {
    if (!a.require(3, "KBarFracMeter"))
        return nullptr;
    auto value = a.real();
    KBarDirection dir = barDirectionFromWord(a.word());
    auto colour = a.colour();
    return make<KBarFracMeter>(a, in, value, dir, colour);
}

std::unique_ptr<KControl> makeImgFracMeter(const KControlInit& in, ArgReader& a) {
    if (!a.require(2, "KImgFracMeter"))
        return nullptr;
    auto value = a.real();
    auto img = a.image();
    return make<KImgFracMeter>(a, in, value, img);
}

std::unique_ptr<KControl> makeImgMeter(const KControlInit& in, ArgReader& a) {
    if (!a.require(4, "KImgMeter"))
        return nullptr;
    auto value = a.integerValue();
    double scale = a.number();
    double offset = a.number();
    auto img = a.image();
    if (!(scale > 0))
        a.failWith("scale must be above 0");
    return make<KImgMeter>(a, in, value, scale, offset, img);
}

std::unique_ptr<KControl> makeImgPeak(const KControlInit& in, ArgReader& a) {
    if (!a.require(3, "KImgPeak"))
        return nullptr;
    auto value = a.real();
    int cmd = a.command();
    auto img = a.image();
    return make<KImgPeak>(a, in, value, cmd, img);
}

std::unique_ptr<KControl> makeWave(const KControlInit& in, ArgReader& a) {
    if (!a.require(6, "KWave"))
        return nullptr;
    KWaveLook look = readWaveLook(a);
    return make<KWave>(a, in, look);
}

std::unique_ptr<KControl> makeZoomWave(const KControlInit& in, ArgReader& a) {
    if (!a.require(10, "KZoomWave"))
        return nullptr;
    KWaveLook look = readWaveLook(a);
    auto bar = a.colour();
    auto handle = a.colour();
    auto dragging = a.colour();
    auto font = a.font();
    return make<KZoomWave>(a, in, look, bar, handle, dragging, font);
}

struct ControlType {
    const char* word;
    ControlMaker make;
};

const ControlType kControlTypes[] = {
    {"KPotDot", makePotDot},           {"KBgPotDot", makeBgPotDot},     {"KPotLine", makePotLine},
    {"KImgPot", makeImgPot},           {"KSlide", makeSlide},           {"KValue", makeValue},
    {"KBgValue", makeBgValue},         {"KLabel", makeLabel},           {"KTextPeak", makeTextPeak},
    {"KPageSelHlt", makePageSelHlt},   {"KImgPageSel", makeImgPageSel}, {"KImgCommand", makeImgCommand},
    {"KUrl", makeUrl},                 {"KImgUrl", makeImgUrl},         {"KImgButton", makeImgButton},
    {"KImgSwitch", makeImgSwitch},     {"KHlSwitch", makeHlSwitch},     {"KImgRadio", makeImgRadio},
    {"KHlRadio", makeHlRadio},         {"KImg", makeImg},               {"KBarFracMeter", makeBarFracMeter},
    {"KImgFracMeter", makeImgFracMeter}, {"KImgMeter", makeImgMeter},   {"KImgPeak", makeImgPeak},
    {"KWave", makeWave},               {"KZoomWave", makeZoomWave},
};

// --- resources ---------------------------------------------------------------

std::unique_ptr<KResource> makeImage(std::unique_ptr<KImage> bitmap, int fw, int fh, int count,
                                     std::string& why) {
    if (!bitmap || bitmap->width <= 0 || bitmap->height <= 0) {
        why = "image could not be decoded";
        return nullptr;
    }
    if (fw <= 0 || fh <= 0 || count <= 0) {
        why = "frame width, height and count must be above 0";
        return nullptr;
    }
    return std::make_unique<KImageResource>(std::move(bitmap), fw, fh, count);
}

KColour colourFromInts(int r, int g, int b, int a) {
    // Components keep only their low 8 bits, as bytes do.
    return KColour{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b),
                   static_cast<uint8_t>(a)};
}

}  // namespace

std::unique_ptr<KControl> KSkinFactory::CreateControl(const KControlInit& init, KTokenizer& tokens) {
    clearFailure();
    const char* type = tokens.takeWord();
    if (!type)
        return fail("no control type");
    for (const ControlType& t : kControlTypes) {
        if (strcasecmp(type, t.word) != 0)
            continue;
        ArgReader args(tokens, *skin_);
        std::unique_ptr<KControl> control = t.make(init, args);
        if (!control)
            return fail(args.reason());
        return control;
    }
    return fail(std::string("unknown control type '") + type + "'");
}

std::unique_ptr<KResource> KSkinFactory::CreateResource(KTokenizer& tokens) {
    clearFailure();
    const char* kind = tokens.takeWord();
    if (!kind)
        return fail("no resource kind");
    ArgReader a(tokens, *skin_);
    std::string why;
    if (!strcasecmp(kind, "PngFile") || !strcasecmp(kind, "PngResource")) {
        if (!a.require(4, kind))
            return fail(a.reason());
        const char* file = a.word();
        int fw = a.integer(), fh = a.integer(), count = a.integer();
        std::unique_ptr<KImage> bitmap;
        if (!strcasecmp(kind, "PngFile")) {
            char path[kLibraryPathSize];
            uint64_t length = 0;
            std::unique_ptr<uint8_t[]> bytes;
            if (makeLibraryFilePath(path, sizeof path, file))
                bytes = readWholeFile(path, &length);
            if (!bytes)
                return fail(std::string("no file '") + file + "' next to the library");
            bitmap = decodePng(bytes.get(), length);
        } else {
            KDataBlock block;
            if (!loadEmbedded(block, file))
                return fail(std::string("no built-in file '") + file + "'");
            if (!block.owned()) {
                // Built-in bytes live as long as the process: every skin
                // shares one image, decoded when first drawn.
                const KSharedImage* shared = KSharedImage::forBuiltIn(block.bytes(), size_t(block.length()));
                if (!shared)
                    return fail("image could not be decoded");
                if (fw <= 0 || fh <= 0 || count <= 0)
                    return fail("frame width, height and count must be above 0");
                return std::make_unique<KImageResource>(shared, fw, fh, count);
            }
            bitmap = decodePng(block.bytes(), block.length());
        }
        auto image = makeImage(std::move(bitmap), fw, fh, count, why);
        return image ? std::move(image) : fail(why);
    }
    if (!strcasecmp(kind, "RGBColour") || !strcasecmp(kind, "RGBAColour")) {
        bool alpha = !strcasecmp(kind, "RGBAColour");
        if (!a.require(alpha ? 4 : 3, kind))
            return fail(a.reason());
        int r = a.integer(), g = a.integer(), b = a.integer();
        int al = alpha ? a.integer() : 255;
        return std::make_unique<KColourResource>(colourFromInts(r, g, b, al));
    }
    if (!strcasecmp(kind, "DefFont")) {
        if (!a.require(2, kind))
            return fail(a.reason());
        int height = a.integer();
        const KColourResource* colour = a.colour();
        const char* face = a.word();
        if (!a.ok())
            return fail(a.reason());
        if (height <= 0)
            return fail("font height must be above 0");
        return std::make_unique<KFontResource>(std::make_unique<KFont>(height, colour->colour(), face));
    }
    return fail(std::string("unknown resource kind '") + kind + "'");
}

}  // namespace kx
