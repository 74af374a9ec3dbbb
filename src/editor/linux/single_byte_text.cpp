#include "editor/linux/single_byte_text.h"

namespace kx {

namespace {

// Windows-1252's characters at 0x80..0x9F (0 where it has none).
constexpr uint16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

unsigned char singleByteOf(uint32_t codePoint) {
    if ((codePoint > 0 && codePoint < 0x80) || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<unsigned char>(codePoint);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] && kCp1252High[i] == codePoint)
            return static_cast<unsigned char>(0x80 + i);
    return 0;
}

size_t utf8ToSingleByte(const unsigned char* utf8, size_t length, char* text, size_t size) {
    if (!text || size == 0)
        return 0;
    size_t out = 0, i = 0;
    while (utf8 && i < length && out + 1 < size) {
        const unsigned char lead = utf8[i];
        const int extra = lead < 0x80             ? 0
                          : (lead & 0xE0) == 0xC0 ? 1
                          : (lead & 0xF0) == 0xE0 ? 2
                          : (lead & 0xF8) == 0xF0 ? 3
                                                  : -1;
        bool valid = extra >= 0 && i + static_cast<size_t>(extra) < length;
        uint32_t cp = extra == 0 ? lead : extra == 1 ? lead & 0x1Fu : extra == 2 ? lead & 0x0Fu : lead & 0x07u;
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char c = utf8[i + static_cast<size_t>(k)];
            valid = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        i += valid ? static_cast<size_t>(extra) + 1 : 1;
        const unsigned char b = valid ? singleByteOf(cp) : 0;
        text[out++] = static_cast<char>(b ? b : '?');
    }
    text[out] = '\0';
    return out;
}

}  // namespace kx
