#include "skin/skin_factory.h"

#include <strings.h>
#include <cstring>
#include <filesystem>

#include "controls/command_button.h"
#include "controls/effect_link.h"
#include "controls/label.h"
#include "controls/link_target.h"
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
#include "graphics/resource.h"
#include "graphics/text_renderer.h"
#include "skin/arg_reader.h"
#include "skin/skin.h"
#include "skin/skin_diagnostics.h"

namespace kx {

namespace {

KMarkLook readMarkLook(KArgReader& a) {
    KMarkLook look{};
    look.mark.x = a.integer("mark x");
    look.mark.y = a.integer("mark y");
    look.mark.w = a.integer("mark width");
    look.mark.h = a.integer("mark height");
    look.off = a.colour("off colour");
    look.on = a.colour("on colour");
    look.press = a.colour("press colour");
    return look;
}

KWaveLook readWaveLook(KArgReader& a) {
    KWaveLook look{};
    look.history = a.history();
    look.marker1 = a.optionalReal("first marker");
    look.marker2 = a.optionalReal("second marker");
    look.outer = a.colour("outer colour");
    look.inner = a.colour("inner colour");
    look.line = a.colour("line colour");
    return look;
}

// Each maker reads its arguments (the type word already taken) and answers
// the control, or null with the reason left in the reader.
using ControlMaker = std::unique_ptr<KControl> (*)(const KControlInit&, KArgReader&);

template <typename T, typename... Args>
std::unique_ptr<KControl> make(KArgReader& a, Args&&... args) {
    if (!a.ok())
        return nullptr;
    return std::make_unique<T>(std::forward<Args>(args)...);
}

std::unique_ptr<KControl> makePotDot(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    auto hl = a.colour("highlight colour");
    double radius = a.number("radius");
    auto dot = a.colour("dot colour");
    if (!(radius > 0))
        a.failWith("radius must be above 0");
    return make<KPotDot>(a, in, p, hl, radius, dot);
}

std::unique_ptr<KControl> makeBgPotDot(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    auto img = a.image("background image");
    double radius = a.number("radius");
    auto dot = a.colour("dot colour");
    if (!(radius > 0))
        a.failWith("radius must be above 0");
    return make<KBgPotDot>(a, in, p, img, radius, dot);
}

std::unique_ptr<KControl> makePotLine(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    auto hl = a.colour("highlight colour");
    double length = a.number("length");
    auto line = a.colour("line colour");
    return make<KPotLine>(a, in, p, hl, length, line);
}

std::unique_ptr<KControl> makeImgPot(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    auto img = a.image();
    return make<KImgPot>(a, in, p, img);
}

std::unique_ptr<KControl> makeSlide(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    auto handle = a.image("handle image");
    auto hl = a.colour("highlight colour");
    KRect r;
    r.x = a.integer("highlight x");
    r.y = a.integer("highlight y");
    r.w = a.integer("highlight width");
    r.h = a.integer("highlight height");
    return make<KSlide>(a, in, p, handle, hl, r);
}

std::unique_ptr<KControl> makeValue(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    auto font = a.font();
    return make<KValue>(a, in, p, font);
}

std::unique_ptr<KControl> makeBgValue(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    auto img = a.image("background image");
    auto font = a.font();
    return make<KBgValue>(a, in, p, img, font);
}

// An alignment word is read by its first letter, so a misspelt one still
// aligns somewhere; tell the author where.
void checkAlignmentWord(KArgReader& a, const char* word) {
    static const char* const kWords[] = {"Left", "Centre", "Center", "Right", "L", "C", "R"};
    if (!word)
        return;
    for (const char* known : kWords)
        if (!strcasecmp(word, known))
            return;
    static const char* const kShown[] = {"left", "centred", "right"};
    a.warn(std::string("'") + word + "' is not an alignment (Left, Centre, Right): the text is " +
           kShown[alignmentFromWord(word)]);
}

// A variable that expands to nothing shows as nothing; names are case-sensitive.
void checkVariables(KArgReader& a, KEffect* effect, const char* text) {
    static const char* const kKnown[] = {"PlugVer",  "PlugBuild", "Platform", "BuildDate", "SRate",
                                         "HostVend", "HostName",  "Inputs",   "Outputs"};
    for (const char* p = text ? std::strstr(text, "${") : nullptr; p; p = std::strstr(p, "${")) {
        const char* close = std::strchr(p + 2, '}');
        if (!close) {
            a.warn(std::string("'") + p + "' has no closing '}': everything after '${' is taken as a variable name");
            return;
        }
        const std::string variable(p, close + 1), name(p + 2, close);
        p = close + 1;
        const char* sameButCase = nullptr;
        bool known = false;
        for (const char* k : kKnown) {
            known = known || name == k;
            if (!strcasecmp(name.c_str(), k))
                sameButCase = k;
        }
        char value[64];
        expandEffectVariables(effect, value, sizeof value, variable.c_str());
        if (known || value[0] || !effect)
            continue;
        a.warn("unknown variable '" + variable + "' shows as nothing" +
               (sameButCase ? std::string(" (names are case-sensitive: ${") + sameButCase + "})"
                            : std::string(" (the variables: PlugVer, PlugBuild, Platform, BuildDate, SRate, HostVend, "
                                          "HostName, Inputs, Outputs)")));
    }
}

std::unique_ptr<KControl> makeLabel(const KControlInit& in, KArgReader& a) {
    const char* align = a.text("alignment");
    const char* text = a.text("text");
    auto font = a.font();
    int refresh = a.integer("refresh interval");
    if (a.listening()) {
        checkAlignmentWord(a, align);
        checkVariables(a, in.effect, text);
    }
    return make<KLabel>(a, in, align, text, font, refresh);
}

std::unique_ptr<KControl> makeTextPeak(const KControlInit& in, KArgReader& a) {
    auto level = a.real("level value");
    int cmd = a.command();
    auto font = a.font();
    auto peakFont = a.font("peak font");
    return make<KTextPeak>(a, in, level, cmd, font, peakFont);
}

std::unique_ptr<KControl> makePageSelHlt(const KControlInit& in, KArgReader& a) {
    int page = a.integer("page");
    auto hl = a.colour("highlight colour");
    if (page <= 0)
        a.failWith("page must be above 0");
    return make<KPageSelHlt>(a, in, page, hl);
}

std::unique_ptr<KControl> makeImgPageSel(const KControlInit& in, KArgReader& a) {
    auto img = a.image();
    int page = a.integer("page");
    if (page <= 0)
        a.failWith("page must be above 0");
    return make<KImgPageSel>(a, in, img, page);
}

std::unique_ptr<KControl> makeImgCommand(const KControlInit& in, KArgReader& a) {
    int cmd = a.command();
    auto img = a.image();
    return make<KImgCommand>(a, in, cmd, img);
}

// The control is made either way; a press on one the system may not open
// does nothing, and the checker says why.
void noteLinkTarget(KArgReader& a, const char* target) {
    if (a.listening() && target)
        if (const char* refusal = linkRefusal(target))
            a.warn(std::string("'") + target + "': " + refusal);
}

std::unique_ptr<KControl> makeUrl(const KControlInit& in, KArgReader& a) {
    const char* target = a.text("link target");
    noteLinkTarget(a, target);
    return make<KUrl>(a, in, target);
}

std::unique_ptr<KControl> makeImgUrl(const KControlInit& in, KArgReader& a) {
    auto img = a.image();
    const char* target = a.text("link target");
    noteLinkTarget(a, target);
    return make<KImgUrl>(a, in, img, target);
}

std::unique_ptr<KControl> makeImgButton(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    auto img = a.image();
    return make<KImgButton>(a, in, p, img);
}

std::unique_ptr<KControl> makeImgSwitch(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    auto img = a.image();
    return make<KImgSwitch>(a, in, p, img);
}

std::unique_ptr<KControl> makeHlSwitch(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    KMarkLook look = readMarkLook(a);
    return make<KHlSwitch>(a, in, p, look);
}

// Positions outside 0..last would give bands beyond 0..1 (or a division by
// zero), so both radio types insist on them.
void checkRadioPositions(KArgReader& a, int position, int last) {
    if (position < 0 || position > last)
        a.failWith("radio position must lie within 0..last position");
}

std::unique_ptr<KControl> makeImgRadio(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    int pos = a.integer("position");
    int last = a.integer("last position");
    auto img = a.image();
    checkRadioPositions(a, pos, last);
    return make<KImgRadio>(a, in, p, pos, last, img);
}

std::unique_ptr<KControl> makeHlRadio(const KControlInit& in, KArgReader& a) {
    int p = a.param();
    int pos = a.integer("position");
    int last = a.integer("last position");
    KMarkLook look = readMarkLook(a);
    checkRadioPositions(a, pos, last);
    return make<KHlRadio>(a, in, p, pos, last, look);
}

std::unique_ptr<KControl> makeImg(const KControlInit& in, KArgReader& a) {
    auto img = a.image();
    return make<KImg>(a, in, img);
}

std::unique_ptr<KControl> makeBarFracMeter(const KControlInit& in, KArgReader& a) {
    auto value = a.real();
    const char* direction = a.text("direction");
    KBarDirection dir = barDirectionFromWord(direction);
    if (dir == KBarDirection::None && direction)
        a.warn(std::string("'") + direction +
               "' is not a direction (LeftToRight, RightToLeft, TopToBottom, BottomToTop): the bar is never drawn");
    auto colour = a.colour();
    return make<KBarFracMeter>(a, in, value, dir, colour);
}

std::unique_ptr<KControl> makeImgFracMeter(const KControlInit& in, KArgReader& a) {
    auto value = a.real();
    auto img = a.image();
    return make<KImgFracMeter>(a, in, value, img);
}

std::unique_ptr<KControl> makeImgMeter(const KControlInit& in, KArgReader& a) {
    auto value = a.integerValue();
    double scale = a.number("scale");
    double offset = a.number("offset");
    auto img = a.image();
    if (!(scale > 0))
        a.failWith("scale must be above 0");
    return make<KImgMeter>(a, in, value, scale, offset, img);
}

std::unique_ptr<KControl> makeImgPeak(const KControlInit& in, KArgReader& a) {
    auto value = a.real();
    int cmd = a.command();
    auto img = a.image();
    return make<KImgPeak>(a, in, value, cmd, img);
}

std::unique_ptr<KControl> makeWave(const KControlInit& in, KArgReader& a) {
    KWaveLook look = readWaveLook(a);
    return make<KWave>(a, in, look);
}

std::unique_ptr<KControl> makeZoomWave(const KControlInit& in, KArgReader& a) {
    KWaveLook look = readWaveLook(a);
    auto bar = a.colour("bar colour");
    auto handle = a.colour("handle colour");
    auto dragging = a.colour("dragging colour");
    auto font = a.font();
    return make<KZoomWave>(a, in, look, bar, handle, dragging, font);
}

struct ControlType {
    const char* word;
    ControlMaker make;
};

const ControlType kControlTypes[] = {
    {"KPotDot", makePotDot},
    {"KBgPotDot", makeBgPotDot},
    {"KPotLine", makePotLine},
    {"KImgPot", makeImgPot},
    {"KSlide", makeSlide},
    {"KValue", makeValue},
    {"KBgValue", makeBgValue},
    {"KLabel", makeLabel},
    {"KTextPeak", makeTextPeak},
    {"KPageSelHlt", makePageSelHlt},
    {"KImgPageSel", makeImgPageSel},
    {"KImgCommand", makeImgCommand},
    {"KUrl", makeUrl},
    {"KImgUrl", makeImgUrl},
    {"KImgButton", makeImgButton},
    {"KImgSwitch", makeImgSwitch},
    {"KHlSwitch", makeHlSwitch},
    {"KImgRadio", makeImgRadio},
    {"KHlRadio", makeHlRadio},
    {"KImg", makeImg},
    {"KBarFracMeter", makeBarFracMeter},
    {"KImgFracMeter", makeImgFracMeter},
    {"KImgMeter", makeImgMeter},
    {"KImgPeak", makeImgPeak},
    {"KWave", makeWave},
    {"KZoomWave", makeZoomWave},
};

// --- resources ---------------------------------------------------------------

// Why a PngFile's file could not be read, saying where it was looked for.
std::string describeUnreadableFile(const std::string& path, const char* name) {
    if (path.empty())
        return std::string("the path to '") + name + "' is too long";
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return "there is no file " + path;
    if (!std::filesystem::is_regular_file(path, error))
        return path + " is not a regular file";
    if (std::filesystem::file_size(path, error) == 0 && !error)
        return path + " is empty";
    return path + " cannot be read";
}

KColour colourFromInts(int r, int g, int b, int a) {
    // Components keep only their low 8 bits, as bytes do.
    return KColour{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), static_cast<uint8_t>(a)};
}

}  // namespace

bool KSkinFactory::isFrameworkControlType(const char* word) {
    for (const ControlType& t : kControlTypes)
        if (word && !strcasecmp(word, t.word))
            return true;
    return false;
}

std::unique_ptr<KControl> KSkinFactory::CreateControl(const KControlInit& init, KTokenizer& tokens) {
    clearFailure();
    const char* type = tokens.takeWord();
    if (!type)
        return fail("the control type is missing");
    for (const ControlType& t : kControlTypes) {
        if (strcasecmp(type, t.word) != 0)
            continue;
        KArgReader args(tokens, *skin_, listening_);
        args.setOwner(t.word);
        std::unique_ptr<KControl> control = t.make(init, args);
        if (!control)
            return fail(args.reason());
        setWarnings(args.warnings());
        return control;
    }
    return fail(std::string("unknown control type '") + type + "'");
}

std::unique_ptr<KResource> KSkinFactory::CreateResource(KTokenizer& tokens) {
    clearFailure();
    const char* kind = tokens.takeWord();
    if (!kind)
        return fail("the resource kind is missing");
    KArgReader a(tokens, *skin_, listening_);
    a.setOwner(kind);
    std::unique_ptr<KResource> resource;
    if (!strcasecmp(kind, "PngFile") || !strcasecmp(kind, "PngResource"))
        resource = makeImageResource(a, !strcasecmp(kind, "PngFile"));
    else if (!strcasecmp(kind, "RGBColour") || !strcasecmp(kind, "RGBAColour"))
        resource = makeColourResource(a, !strcasecmp(kind, "RGBAColour"));
    else if (!strcasecmp(kind, "DefFont"))
        resource = makeFontResource(a);
    else
        return fail(std::string("unknown resource kind '") + kind + "'");
    if (!resource)
        return fail(a.reason());
    setWarnings(a.warnings());
    return resource;
}

std::unique_ptr<KResource> KSkinFactory::makeImageResource(KArgReader& a, bool fromFile) {
    const char* file = a.text("file name");
    int fw = a.integer("frame width"), fh = a.integer("frame height"), count = a.integer("frame count");
    if (a.missing())
        return nullptr;
    KDataBlock block;
    std::unique_ptr<uint8_t[]> bytes;
    uint64_t length = 0;
    const uint8_t* data = nullptr;
    if (fromFile) {
        data = readImageFile(a, file, bytes, length);
    } else {
        data = loadEmbedded(block, file);
        length = block.length();
        if (!data)
            a.failWith(std::string("no built-in file '") + file + "'");
        // Built-in bytes live as long as the process: every skin shares one
        // image, decoded when first drawn. A listener needs the pixels' size
        // now, which the shared image decodes once for every later check;
        // one that does not decode gets the full decode below, for its reason.
        if (data && !block.owned()) {
            const KSharedImage* shared = KSharedImage::forBuiltIn(data, size_t(length));
            const bool usable = shared && (!a.listening() || shared->pixels().width > 0);
            if (!usable && !a.listening()) {
                a.failWith(std::string("'") + file + "' does not decode as PNG");
                return nullptr;
            }
            if (usable) {
                if (fw <= 0 || fh <= 0 || count <= 0) {
                    a.failWith("frame width, height and count must be above 0");
                    return nullptr;
                }
                if (a.listening())
                    a.warn(describeImageFit(shared->width(), shared->height(), fw, fh, count));
                return std::make_unique<KImageResource>(shared, fw, fh, count);
            }
        }
    }
    if (!data)
        return nullptr;
    PngError error = PngError::none;
    std::unique_ptr<KImage> bitmap = decodePng(data, length, &error);
    if (!bitmap || bitmap->width <= 0 || bitmap->height <= 0) {
        std::string why = std::string("'") + file + "' does not decode as PNG: " + pngErrorText(error);
        if (error == PngError::unsupportedHeader)
            why += " (save it as a non-interlaced PNG of 8 bits per channel)";
        a.failWith(why);
        return nullptr;
    }
    if (fw <= 0 || fh <= 0 || count <= 0) {
        a.failWith("frame width, height and count must be above 0");
        return nullptr;
    }
    if (a.listening())
        a.warn(describeImageFit(bitmap->width, bitmap->height, fw, fh, count));
    return std::make_unique<KImageResource>(std::move(bitmap), fw, fh, count);
}

std::unique_ptr<KResource> KSkinFactory::makeColourResource(KArgReader& a, bool withAlpha) {
    static const char* const kComponents[] = {"red", "green", "blue", "alpha"};
    int c[4] = {0, 0, 0, 255};
    for (int i = 0; i < (withAlpha ? 4 : 3); ++i) {
        c[i] = a.integer(kComponents[i]);
        if (a.listening() && (c[i] < 0 || c[i] > 255))
            a.warn(std::to_string(c[i]) + " lies outside 0..255: the " + kComponents[i] + " keeps its low 8 bits, " +
                   std::to_string(static_cast<uint8_t>(c[i])));
    }
    if (a.missing())
        return nullptr;
    return std::make_unique<KColourResource>(colourFromInts(c[0], c[1], c[2], c[3]));
}

std::unique_ptr<KResource> KSkinFactory::makeFontResource(KArgReader& a) {
    int height = a.integer("height");
    const KColourResource* colour = a.colour();
    const char* face = a.optionalText();
    if (!a.ok())
        return nullptr;
    if (height <= 0) {
        a.failWith("font height must be above 0");
        return nullptr;
    }
    if (a.listening() && face && *face && !hasFontFace(face))
        a.warn(std::string("no font face '") + face + "' here: its text shows in a face the system picks instead");
    return std::make_unique<KFontResource>(std::make_unique<KFont>(height, colour->colour(), face));
}

const uint8_t* KSkinFactory::readImageFile(KArgReader& a, const char* name, std::unique_ptr<uint8_t[]>& bytes,
                                           uint64_t& length) const {
    std::string path;
    if (fileFolder_.empty()) {
        char buffer[kLibraryPathSize];
        if (makeLibraryFilePath(buffer, sizeof buffer, name))
            path = buffer;
    } else {
        path = fileFolder_ + name;
    }
    if (!path.empty())
        bytes = readWholeFile(path.c_str(), &length);
    if (!bytes)
        a.failWith(describeUnreadableFile(path, name));
    return bytes.get();
}

}  // namespace kx
