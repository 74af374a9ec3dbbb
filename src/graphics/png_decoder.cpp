#include "graphics/png_decoder.h"

#include <cstring>
#include <new>
#include <vector>

#include "graphics/inflate.h"
#include "graphics/png_unfilter.h"

namespace kx {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kMinimumSize = 30;
constexpr size_t kFirstChunkAfterIhdr = 33;  // signature 8 + IHDR 8 + 13 + CRC 4
constexpr size_t kChunkOverhead = 12;        // length, type, CRC

enum ColourType : uint8_t { kGrey = 0, kTruecolour = 2, kPalette = 3, kGreyAlpha = 4, kTruecolourAlpha = 6 };

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
bool isType(const uint8_t* p, const char* type) { return std::memcmp(p, type, 4) == 0; }

struct Header {
    uint32_t width, height;
    uint8_t depth, colourType;
    unsigned channels;
};

struct Ancillary {
    const uint8_t* palette = nullptr;
    uint32_t paletteCount = 0;
    const uint8_t* alphaTable = nullptr;  // palette tRNS
    uint32_t alphaCount = 0;
    bool hasKey = false;  // grey / truecolour tRNS
    uint16_t key[3] = {};
    size_t firstIdat = 0;
};

PngError readHeader(const uint8_t* data, size_t size, Header& h) {
    if (size < kMinimumSize)
        return PngError::tooShort;
    if (std::memcmp(data, kSignature, 8) != 0)
        return PngError::badSignature;
    if (!isType(data + 12, "IHDR"))
        return PngError::ihdrNotFirst;
    h.width = be32(data + 16);
    h.height = be32(data + 20);
    h.depth = data[24];
    h.colourType = data[25];
    const uint8_t compression = data[26], filter = data[27], interlace = data[28];
    switch (h.colourType) {
    case kGrey: h.channels = 1; break;
    case kTruecolour: h.channels = 3; break;
    case kPalette: h.channels = 1; break;
    case kGreyAlpha: h.channels = 2; break;
    case kTruecolourAlpha: h.channels = 4; break;
    default: return PngError::unsupportedHeader;
    }
    if (compression != 0 || filter != 0 || interlace != 0)
        return PngError::unsupportedHeader;
    const bool wide = h.depth == 8 || h.depth == 16;
    const bool narrow =
        (h.depth == 1 || h.depth == 2 || h.depth == 4) && (h.colourType == kGrey || h.colourType == kPalette);
    if (!wide && !narrow)
        return PngError::unsupportedHeader;
    if (h.width == 0 || h.height == 0)
        return PngError::zeroSize;
    return PngError::none;
}

// Walks the chunks after IHDR up to IEND, noting PLTE, tRNS and the first IDAT.
PngError walkChunks(const uint8_t* data, size_t size, const Header& h, Ancillary& a) {
    bool haveIdat = false;
    for (size_t pos = kFirstChunkAfterIhdr;;) {
        if (pos > size || size - pos < 8)
            return PngError::noIend;
        const uint32_t length = be32(data + pos);
        const uint8_t* type = data + pos + 4;
        if (uint64_t(length) + kChunkOverhead > size - pos)
            return PngError::chunkOverrun;
        const uint8_t* body = data + pos + 8;
        if (isType(type, "IEND"))
            break;
        if (isType(type, "IDAT")) {
            if (!haveIdat)
                a.firstIdat = pos;
            haveIdat = true;
        } else if (isType(type, "PLTE")) {
            a.palette = body;
            a.paletteCount = length / 3;
        } else if (isType(type, "tRNS")) {
            if (h.colourType == kGrey && length == 2) {
                a.hasKey = true;
                a.key[0] = a.key[1] = a.key[2] = be16(body);
            } else if (h.colourType == kTruecolour && length == 6) {
                a.hasKey = true;
                a.key[0] = be16(body);
                a.key[1] = be16(body + 2);
                a.key[2] = be16(body + 4);
            } else if (h.colourType == kPalette) {
                a.alphaTable = body;
                a.alphaCount = length;
            }
        }
        pos += kChunkOverhead + length;
    }
    return haveIdat ? PngError::none : PngError::noIdat;
}

// The compressed stream: the data of the first IDAT and of every later IDAT,
// other chunks skipped. Where the chunks run out the stream simply ends, and
// the inflater fails if it needs more. A single IDAT is used in place.
class IdatStream {
public:
    IdatStream(const uint8_t* data, size_t size, size_t firstIdat) {
        for (size_t pos = firstIdat; pos <= size && size - pos >= 8;) {
            const uint64_t length = be32(data + pos);
            const size_t available = size - pos - 8;
            if (isType(data + pos + 4, "IDAT")) {
                const size_t n = length < available ? size_t(length) : available;
                if (n > 0)
                    parts_.push_back({data + pos + 8, n});
            }
            if (length + kChunkOverhead > size - pos)
                break;
            pos += size_t(length) + kChunkOverhead;
        }
        if (parts_.size() > 1) {
            for (const Part& p : parts_)
                joined_.insert(joined_.end(), p.bytes, p.bytes + p.size);
        }
    }
    const uint8_t* bytes() const {
        return parts_.size() > 1 ? joined_.data() : parts_.empty() ? nullptr : parts_[0].bytes;
    }
    size_t size() const { return parts_.size() > 1 ? joined_.size() : parts_.empty() ? 0 : parts_[0].size; }

private:
    struct Part {
        const uint8_t* bytes;
        size_t size;
    };
    std::vector<Part> parts_;
    std::vector<uint8_t> joined_;
};

// ---- Conversion of unfiltered rows to 0xAARRGGBB ----------------------------

inline uint32_t argb(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return a << 24 | r << 16 | g << 8 | b; }

// Sample x of a row of samples narrower than a byte, most significant first.
inline unsigned packedSample(const uint8_t* row, size_t x, unsigned depth) {
    const size_t bit = x * depth;
    return (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1);
}

void convertGrey(const uint8_t* row, uint32_t* out, uint32_t w, unsigned depth, const Ancillary& a) {
    const uint16_t key = a.key[0];
    if (depth < 8) {
        const unsigned scale = 255 / ((1u << depth) - 1);  // 255, 85, 17
        for (uint32_t x = 0; x < w; ++x) {
            const unsigned s = packedSample(row, x, depth);
            const uint32_t v = s * scale;
            out[x] = argb(v, v, v, a.hasKey && s == key ? 0 : 255);
        }
    } else if (depth == 8) {
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = row[x];
            out[x] = argb(v, v, v, a.hasKey && v == key ? 0 : 255);
        }
    } else {
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = row[2 * x];
            out[x] = argb(v, v, v, a.hasKey && be16(row + 2 * x) == key ? 0 : 255);
        }
    }
}

void convertTruecolour(const uint8_t* row, uint32_t* out, uint32_t w, unsigned depth, const Ancillary& a) {
    if (depth == 8) {
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = row + 3 * x;
            const bool keyed = a.hasKey && p[0] == a.key[0] && p[1] == a.key[1] && p[2] == a.key[2];
            out[x] = argb(p[0], p[1], p[2], keyed ? 0 : 255);
        }
    } else {
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = row + 6 * x;
            const bool keyed = a.hasKey && be16(p) == a.key[0] && be16(p + 2) == a.key[1] && be16(p + 4) == a.key[2];
            out[x] = argb(p[0], p[2], p[4], keyed ? 0 : 255);
        }
    }
}

void convertPalette(const uint8_t* row, uint32_t* out, uint32_t w, unsigned depth, const uint32_t* lut) {
    if (depth == 8) {
        for (uint32_t x = 0; x < w; ++x)
            out[x] = lut[row[x]];
    } else {
        for (uint32_t x = 0; x < w; ++x)
            out[x] = lut[packedSample(row, x, depth)];
    }
}

void convertGreyAlpha(const uint8_t* row, uint32_t* out, uint32_t w, unsigned depth) {
    const unsigned step = depth / 4;   // bytes per pixel: 2 or 4
    const unsigned alpha = depth / 8;  // offset of the alpha sample
    for (uint32_t x = 0; x < w; ++x) {
        const uint8_t* p = row + step * x;
        out[x] = argb(p[0], p[0], p[0], p[alpha]);
    }
}

void convertTruecolourAlpha(const uint8_t* __restrict row, uint32_t* __restrict out, uint32_t w, unsigned depth) {
    if (depth == 8) {
        for (size_t x = 0; x < w; ++x) {
            uint32_t v;
            std::memcpy(&v, row + 4 * x, 4);  // bytes r, g, b, a: exchange r and b
            out[x] = (v & 0xFF00FF00u) | (v >> 16 & 0xFFu) | (v & 0xFFu) << 16;
        }
    } else {
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = row + 8 * x;
            out[x] = argb(p[0], p[2], p[4], p[6]);
        }
    }
}

PngError decode(const uint8_t* data, size_t size, KImage& image) {
    Header h;
    if (PngError e = readHeader(data, size, h); e != PngError::none)
        return e;
    Ancillary a;
    if (PngError e = walkChunks(data, size, h, a); e != PngError::none)
        return e;

    const uint64_t bitsPerPixel = uint64_t(h.depth) * h.channels;
    const unsigned bpp = unsigned((bitsPerPixel + 7) / 8);
    const uint64_t rowBytes = (uint64_t(h.width) * bitsPerPixel + 7) / 8;
    const uint64_t rawSize = uint64_t(h.height) * (rowBytes + 1);
    const uint64_t resultSize = uint64_t(h.width) * h.height * 4;
    if (rawSize > 0xFFFFFFFFu || resultSize > 0xFFFFFFFFu)
        return PngError::tooLarge;

    std::unique_ptr<uint8_t[]> raw(new (std::nothrow) uint8_t[size_t(rawSize)]);
    if (!raw)
        return PngError::outOfMemory;
    size_t produced = 0;
    {
        const IdatStream stream(data, size, a.firstIdat);
        if (PngError e = inflateZlib(stream.bytes(), stream.size(), raw.get(), size_t(rawSize), &produced);
            e != PngError::none)
            return e;
    }
    // Rows that a short stream did not reach are zeros (filter None, value 0).
    std::memset(raw.get() + produced, 0, size_t(rawSize) - produced);
    if (!unfilterRows(raw.get(), size_t(rowBytes), h.height, bpp))
        return PngError::badFilter;
    if (h.colourType == kPalette && h.depth == 16)
        return PngError::unsupportedDepth;

    uint32_t paletteLut[256];
    if (h.colourType == kPalette) {
        for (unsigned i = 0; i < 256; ++i) {
            const uint32_t alpha = i < a.alphaCount ? a.alphaTable[i] : 255;
            if (i < a.paletteCount) {
                const uint8_t* c = a.palette + 3 * i;
                paletteLut[i] = argb(c[0], c[1], c[2], alpha);
            } else {
                paletteLut[i] = argb(0, 0, 0, alpha);
            }
        }
    }

    try {
        image.pixels.resize(size_t(resultSize / 4));
    } catch (const std::bad_alloc&) {
        return PngError::outOfMemory;
    }
    const uint32_t w = h.width;
    for (uint32_t y = 0; y < h.height; ++y) {
        const uint8_t* row = raw.get() + size_t(y) * size_t(rowBytes + 1) + 1;
        uint32_t* out = image.pixels.data() + size_t(y) * w;
        switch (h.colourType) {
        case kGrey: convertGrey(row, out, w, h.depth, a); break;
        case kTruecolour: convertTruecolour(row, out, w, h.depth, a); break;
        case kPalette: convertPalette(row, out, w, h.depth, paletteLut); break;
        case kGreyAlpha: convertGreyAlpha(row, out, w, h.depth); break;
        default: convertTruecolourAlpha(row, out, w, h.depth); break;
        }
    }
    image.width = int32_t(h.width);
    image.height = int32_t(h.height);
    return PngError::none;
}

}  // namespace

PngError readPngSize(const uint8_t* bytes, size_t length, int32_t& width, int32_t& height) {
    if (!bytes)
        return PngError::tooShort;
    Header h;
    if (PngError e = readHeader(bytes, length, h); e != PngError::none)
        return e;
    Ancillary a;
    if (PngError e = walkChunks(bytes, length, h, a); e != PngError::none)
        return e;
    const uint64_t rowBytes = (uint64_t(h.width) * h.depth * h.channels + 7) / 8;
    if (uint64_t(h.height) * (rowBytes + 1) > 0xFFFFFFFFu || uint64_t(h.width) * h.height * 4 > 0xFFFFFFFFu)
        return PngError::tooLarge;
    width = int32_t(h.width);
    height = int32_t(h.height);
    return PngError::none;
}

std::unique_ptr<KImage> decodePng(const uint8_t* bytes, size_t length, PngError* reason) {
    PngError e = PngError::tooShort;
    std::unique_ptr<KImage> image;
    if (bytes) {
        image = std::make_unique<KImage>();
        e = decode(bytes, length, *image);
        if (e != PngError::none)
            image.reset();
    }
    if (reason)
        *reason = e;
    return image;
}

}  // namespace kx
