// One switch per row; the byte loops are specialised per filter unit so that
// the compiler keeps them free of per-pixel branches. The first row has no
// row above: its Up and Paeth filters are the same as None and Sub, and its
// Average has its own loop, so no inner loop asks "first row?".
#include "graphics/png_unfilter.h"

#include <cstdlib>

namespace kx {

namespace {

enum Filter : uint8_t { kNone, kSub, kUp, kAverage, kPaeth, kAverageFirstRow };

template <size_t B>
void sub(uint8_t* x, size_t n) {
    for (size_t i = B; i < n; ++i)
        x[i] = uint8_t(x[i] + x[i - B]);
}

void up(uint8_t* x, const uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        x[i] = uint8_t(x[i] + b[i]);
}

template <size_t B>
void average(uint8_t* x, const uint8_t* b, size_t n) {
    for (size_t i = 0; i < B && i < n; ++i)
        x[i] = uint8_t(x[i] + (b[i] >> 1));
    for (size_t i = B; i < n; ++i)
        x[i] = uint8_t(x[i] + ((unsigned(x[i - B]) + b[i]) >> 1));
}

template <size_t B>
void averageFirstRow(uint8_t* x, size_t n) {
    for (size_t i = B; i < n; ++i)
        x[i] = uint8_t(x[i] + (x[i - B] >> 1));
}

// The predictor of a (left), b (above), c (above-left), ties to a, then b.
inline unsigned paethPredictor(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    const int bc = pb <= pc ? b : c;
    return unsigned(pa <= pb && pa <= pc ? a : bc);
}

template <size_t B>
void paeth(uint8_t* x, const uint8_t* b, size_t n) {
    for (size_t i = 0; i < B && i < n; ++i)  // a = c = 0: the predictor is b
        x[i] = uint8_t(x[i] + b[i]);
    for (size_t i = B; i < n; ++i)
        x[i] = uint8_t(x[i] + paethPredictor(x[i - B], b[i], b[i - B]));
}

template <size_t B>
bool unfilterAll(uint8_t* raw, size_t rowBytes, uint32_t height) {
    const size_t stride = rowBytes + 1;
    // Row 0 sees a row of zeros above: Up is None, Paeth is Sub.
    static constexpr uint8_t kFirstRow[5] = {kNone, kSub, kNone, kAverageFirstRow, kSub};
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = raw + size_t(y) * stride;
        const uint8_t type = row[0];
        if (type > kPaeth)
            return false;
        uint8_t* x = row + 1;
        const uint8_t* b = y > 0 ? x - stride : x;  // row 0 never reads it; no pointer before the buffer
        switch (y == 0 ? kFirstRow[type] : type) {
        case kNone: break;
        case kSub: sub<B>(x, rowBytes); break;
        case kUp: up(x, b, rowBytes); break;
        case kAverage: average<B>(x, b, rowBytes); break;
        case kPaeth: paeth<B>(x, b, rowBytes); break;
        case kAverageFirstRow: averageFirstRow<B>(x, rowBytes); break;
        }
    }
    return true;
}

}  // namespace

bool unfilterRows(uint8_t* raw, size_t rowBytes, uint32_t height, unsigned bpp) {
    switch (bpp) {
    case 1: return unfilterAll<1>(raw, rowBytes, height);
    case 2: return unfilterAll<2>(raw, rowBytes, height);
    case 3: return unfilterAll<3>(raw, rowBytes, height);
    case 4: return unfilterAll<4>(raw, rowBytes, height);
    case 6: return unfilterAll<6>(raw, rowBytes, height);
    default: return unfilterAll<8>(raw, rowBytes, height);
    }
}

}  // namespace kx
