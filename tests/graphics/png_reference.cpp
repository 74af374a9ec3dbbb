#include "png_reference.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kx::test {

namespace {

struct Reader {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

void readCallback(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (r->pos + n > r->bytes->size())
        png_error(png, "read past end");
    std::memcpy(out, r->bytes->data() + r->pos, n);
    r->pos += n;
}

void quiet(png_structp, png_const_charp) {}

}  // namespace

std::optional<KImage> decodeWithLibpng(const std::vector<uint8_t>& bytes) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet, quiet);
    png_infop info = png_create_info_struct(png);
    Reader reader{&bytes};
    std::vector<uint8_t> pixels;  // declared before setjmp: survives a longjmp
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    png_set_read_fn(png, &reader, readCallback);
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_benign_errors(png, 1);
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_set_option(png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const uint32_t w = png_get_image_width(png, info);
    const uint32_t h = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != size_t(w) * 4)
        png_error(png, "unexpected row size");
    pixels.resize(size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        rows.push_back(pixels.data() + size_t(y) * w * 4);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    KImage image;
    image.width = int32_t(w);
    image.height = int32_t(h);
    image.pixels.resize(size_t(w) * h);
    std::memcpy(image.pixels.data(), pixels.data(), pixels.size());  // BGRA bytes = 0xAARRGGBB words
    return image;
}

namespace {

void writeCallback(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

}  // namespace

std::vector<uint8_t> encodeRgbaWithLibpng(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, writeCallback, nullptr);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; ++y)
        png_write_row(png, rgba.data() + size_t(y) * width * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace kx::test
