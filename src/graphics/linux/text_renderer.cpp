// Text on Linux: fontconfig picks the face file, FreeType renders grey-level
// glyphs, and each glyph's coverage is blended into the canvas pixels as the
// alpha of the font colour, cut at the canvas's clip window.
//
// A font's size is the height of its character cell (ascent + descent from
// the OS/2 Windows metrics, else hhea), so that a skin's sizes give the same
// text height as on the system the skins were drawn for.
#include "graphics/text_renderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "graphics/blend.h"
#include "graphics/canvas.h"
#include "graphics/font.h"

namespace kx {

namespace {

// Glyph bitmaps beyond this cell height would only waste memory.
constexpr int32_t kMaxCellHeight = 1024;
constexpr int32_t kDefaultCellHeight = 12;  // a height of 0 asks for the default
constexpr size_t kInstalledNameChars = 35;

// Each font has a FreeType library of its own: a library is not safe to use
// from two threads, and a host may create instances (and so skins and their
// fonts) on several threads at once.
struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;

LibraryPtr newLibrary() {
    FT_Library library = nullptr;
    return LibraryPtr(FT_Init_FreeType(&library) == 0 ? library : nullptr);
}

// A font installed from embedded data. The bytes are shared with every face
// opened from them, so that removal never pulls them from under a font.
struct InstalledFont {
    char name[kInstalledNameChars + 1];  // the skin's name for it
    std::string family;
    FT_Long faceIndex;
    std::shared_ptr<const std::vector<uint8_t>> bytes;
};

std::vector<InstalledFont>& installedFonts() {
    static std::vector<InstalledFont> fonts;
    return fonts;
}

// Skins are parsed when instruments are constructed, and a host may construct
// them on several threads: the list is only touched under this lock.
std::mutex& installedFontsLock() {
    static std::mutex lock;
    return lock;
}

// Single-byte text is Windows-1252; 0x80..0x9F differ from Latin-1.
constexpr std::array<uint16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

FT_ULong codePoint(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c; }

struct Glyph {
    bool loaded = false;
    int32_t advance = 0;
    int32_t left = 0;  // bitmap origin relative to the pen and the baseline
    int32_t top = 0;
    int32_t width = 0;
    int32_t rows = 0;
    std::vector<uint8_t> coverage;  // width * rows, 0..255
};

}  // namespace

class PlatformFont {
public:
    PlatformFont(LibraryPtr library, FT_Face face, std::shared_ptr<const std::vector<uint8_t>> bytes)
        : library_(std::move(library)), face_(face), bytes_(std::move(bytes)) {}
    ~PlatformFont() { FT_Done_Face(face_); }  // before the library goes

    bool setCellHeight(int32_t height) {
        if (height == 0)
            height = kDefaultCellHeight;
        // A negative height is the em height, as on the system the skins come from.
        const bool emHeight = height < 0;
        height = std::min(std::abs(height), kMaxCellHeight);
        if (!FT_IS_SCALABLE(face_)) {
            if (face_->num_fixed_sizes <= 0 || FT_Select_Size(face_, 0) != 0)
                return false;
            cellHeight_ = int32_t((face_->size->metrics.height + 63) >> 6);
            ascent_ = int32_t((face_->size->metrics.ascender + 63) >> 6);
            return true;
        }
        double ascent = face_->ascender, descent = -double(face_->descender);
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
            os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
        double cell = ascent + descent;
        if (cell <= 0)
            cell = face_->units_per_EM;
        const double em = emHeight ? height : height * face_->units_per_EM / cell;
        if (FT_Set_Char_Size(face_, 0, FT_F26Dot6(std::lround(em * 64)), 72, 72) != 0)
            return false;
        const double scale = em / face_->units_per_EM;
        cellHeight_ = emHeight ? int32_t(std::lround(cell * scale)) : height;
        ascent_ = int32_t(std::lround(ascent * scale));
        return true;
    }

    int32_t cellHeight() const { return cellHeight_; }
    int32_t ascent() const { return ascent_; }

    const Glyph& glyph(unsigned char c) const {
        Glyph& g = glyphs_[c];
        if (g.loaded)
            return g;
        g.loaded = true;
        if (FT_Load_Char(face_, codePoint(c), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
            return g;
        const FT_GlyphSlot slot = face_->glyph;
        g.advance = int32_t((slot->advance.x + 32) >> 6);
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO)
            return g;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = int32_t(bm.width);
        g.rows = int32_t(bm.rows);
        g.coverage.resize(size_t(g.width) * size_t(g.rows));
        for (int32_t y = 0; y < g.rows; ++y) {
            const unsigned char* src = bm.buffer + ptrdiff_t(y) * bm.pitch;
            uint8_t* dst = g.coverage.data() + size_t(y) * size_t(g.width);
            for (int32_t x = 0; x < g.width; ++x) {
                if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                    dst[x] = uint8_t(bm.num_grays == 256 ? src[x] : src[x] * 255 / std::max(1, bm.num_grays - 1));
                else
                    dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
            }
        }
        return g;
    }

private:
    LibraryPtr library_;
    FT_Face face_;
    std::shared_ptr<const std::vector<uint8_t>> bytes_;  // the memory of an installed face
    int32_t cellHeight_ = 0;
    int32_t ascent_ = 0;
    mutable std::array<Glyph, 256> glyphs_;  // filled on first use, on the drawing thread
};

void PlatformFontDeleter::operator()(PlatformFont* font) const { delete font; }

std::uintptr_t platformFontHandle(const PlatformFont* font) { return reinterpret_cast<std::uintptr_t>(font); }

namespace {

// The module's own fontconfig configuration: the host may use fontconfig
// itself, so its default configuration is neither shared nor torn down.
class FontConfig {
public:
    FontConfig() : config_(FcInitLoadConfigAndFonts()) {}
    ~FontConfig() {
        if (config_)
            FcConfigDestroy(config_);
    }
    FcConfig* get() const { return config_; }

private:
    FcConfig* config_;
};

FcConfig* moduleFontConfig() {
    static const FontConfig fontConfig;  // lives until the module is unloaded
    return fontConfig.get();
}

// The file and face index that fontconfig offers for a description.
bool askFontConfig(const KFontDescription& d, std::string& file, int& index) {
    FcConfig* config = moduleFontConfig();
    if (!config)
        return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return false;
    if (d.faceName[0]) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(d.faceName));
    } else {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    }
    if (d.weight > 0)
        FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(d.weight));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* path = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
    if (found) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch)
            index = 0;
    }
    FcPatternDestroy(match);
    return found;
}

// The module's configuration is loaded once and never changes, so a match
// holds for the life of the process: each face name and weight is asked
// about once (a skin's fonts, every instance's skin, every reopened editor).
// The list is small and bounded; beyond it fontconfig is asked every time.
struct FontMatch {
    char faceName[kFontFaceNameChars + 1];
    int32_t weight;
    bool found;
    std::string file;
    int index;
};
constexpr size_t kMaxRememberedMatches = 64;

bool matchSystemFont(const KFontDescription& d, std::string& file, int& index) {
    static std::mutex lock;  // fonts are made on the threads that draw
    static std::vector<FontMatch> matches;
    {
        const std::lock_guard<std::mutex> hold(lock);
        for (const FontMatch& m : matches) {
            if (m.weight == d.weight && std::strcmp(m.faceName, d.faceName) == 0) {
                file = m.file;
                index = m.index;
                return m.found;
            }
        }
    }
    const bool found = askFontConfig(d, file, index);
    const std::lock_guard<std::mutex> hold(lock);
    if (matches.size() < kMaxRememberedMatches) {
        FontMatch m{};
        std::memcpy(m.faceName, d.faceName, sizeof m.faceName);
        m.faceName[kFontFaceNameChars] = '\0';
        m.weight = d.weight;
        m.found = found;
        m.file = found ? file : std::string();
        m.index = found ? index : 0;
        matches.push_back(std::move(m));
    }
    return found;
}

// Names fontconfig stands for a face of its choosing with.
const char* const kGenericFamilies[] = {"sans-serif", "sans", "serif", "monospace", "mono", "system-ui", "cursive",
                                        "fantasy"};

bool fontConfigHasFamily(const char* family) {
    FcConfig* config = moduleFontConfig();
    FcPattern* pattern = config ? FcPatternCreate() : nullptr;
    if (!pattern)
        return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
    FcFontSet* fonts = objects ? FcFontList(config, pattern, objects) : nullptr;
    const bool found = fonts && fonts->nfont > 0;
    if (fonts)
        FcFontSetDestroy(fonts);
    if (objects)
        FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

}  // namespace

bool hasFontFace(const char* faceName) {
    if (!faceName || !*faceName)
        return false;
    {
        const std::lock_guard<std::mutex> hold(installedFontsLock());
        for (const InstalledFont& f : installedFonts())
            if (strcasecmp(f.family.c_str(), faceName) == 0)
                return true;
    }
    for (const char* generic : kGenericFamilies)
        if (strcasecmp(generic, faceName) == 0)
            return true;
    return fontConfigHasFamily(faceName);
}

PlatformFontPtr createPlatformFont(const KFontDescription& description) {
    LibraryPtr owner = newLibrary();
    FT_Library library = owner.get();
    if (!library)
        return nullptr;
    FT_Face face = nullptr;
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    // A named face is looked for among the installed fonts first.
    if (description.faceName[0]) {
        std::vector<std::pair<std::shared_ptr<const std::vector<uint8_t>>, FT_Long>> candidates;
        {
            const std::lock_guard<std::mutex> hold(installedFontsLock());
            for (const InstalledFont& f : installedFonts())
                if (strcasecmp(f.family.c_str(), description.faceName) == 0)
                    candidates.emplace_back(f.bytes, f.faceIndex);
        }
        for (const auto& [data, faceIndex] : candidates) {
            if (FT_New_Memory_Face(library, data->data(), FT_Long(data->size()), faceIndex, &face) == 0) {
                bytes = data;
                break;
            }
            face = nullptr;
        }
    }
    if (!face) {
        std::string file;
        int index = 0;
        if (!matchSystemFont(description, file, index) || FT_New_Face(library, file.c_str(), index, &face) != 0)
            return nullptr;
    }
    PlatformFontPtr font(new PlatformFont(std::move(owner), face, std::move(bytes)));
    if (!font->setCellHeight(description.height))
        return nullptr;
    return font;
}

int32_t measureText(const PlatformFont& font, const char* text) {
    int64_t width = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        width += font.glyph(*p).advance;
    return int32_t(std::min<int64_t>(width, INT32_MAX));
}

void renderText(KCanvas& canvas, const PlatformFont& font, KColour colour, const char* text, KRect box,
                int32_t alignment) {
    const int32_t clipLeft = canvas.clipX(), clipTop = canvas.clipY();
    const int64_t clipRight = int64_t(clipLeft) + canvas.clipW(), clipBottom = int64_t(clipTop) + canvas.clipH();
    uint32_t* pixels = canvas.pixels();
    if (!pixels || canvas.clipW() <= 0 || canvas.clipH() <= 0)
        return;
    const int64_t width = measureText(font, text);
    int64_t pen = box.x;
    if (alignment == kAlignCentre)
        pen = box.x + (int64_t(box.w) - width) / 2;
    else if (alignment == kAlignRight)
        pen = int64_t(box.x) + box.w - width;
    const int64_t baseline = box.y + (int64_t(box.h) - font.cellHeight()) / 2 + font.ascent();
    const size_t stride = size_t(canvas.width());

    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        const Glyph& g = font.glyph(*p);
        const int64_t left = pen + g.left, top = baseline - g.top;
        pen += g.advance;
        const int64_t x0 = std::max<int64_t>(left, clipLeft), x1 = std::min<int64_t>(left + g.width, clipRight);
        const int64_t y0 = std::max<int64_t>(top, clipTop), y1 = std::min<int64_t>(top + g.rows, clipBottom);
        for (int64_t y = y0; y < y1; ++y) {
            const uint8_t* cov = g.coverage.data() + size_t(y - top) * size_t(g.width);
            uint32_t* row = pixels + size_t(y) * stride;
            for (int64_t x = x0; x < x1; ++x) {
                const uint8_t a = cov[x - left];
                if (a)
                    row[x] = blendPixel(row[x], colour.r, colour.g, colour.b, a * kInv255);
            }
        }
    }
}

bool installFontData(const char* name, const uint8_t* data, size_t size) {
    const LibraryPtr owner = newLibrary();  // only to read the family names
    FT_Library library = owner.get();
    if (!library || !data || size == 0)
        return false;
    auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, bytes->data(), FT_Long(bytes->size()), 0, &face) != 0)
        return false;
    const FT_Long faces = face->num_faces;
    bool any = false;
    for (FT_Long i = 0; i < faces; ++i) {
        if (i > 0 && FT_New_Memory_Face(library, bytes->data(), FT_Long(bytes->size()), i, &face) != 0)
            continue;
        if (face->family_name) {
            InstalledFont f;
            std::strncpy(f.name, name ? name : "", kInstalledNameChars);
            f.name[kInstalledNameChars] = '\0';
            f.family = face->family_name;
            f.faceIndex = i;
            f.bytes = bytes;
            const std::lock_guard<std::mutex> hold(installedFontsLock());
            installedFonts().push_back(std::move(f));
            any = true;
        }
        FT_Done_Face(face);
    }
    return any;
}

void removeInstalledFonts() {
    const std::lock_guard<std::mutex> hold(installedFontsLock());
    installedFonts().clear();
}

}  // namespace kx
