#include "png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

namespace kx::art {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

bool writePng(const std::string& path, const uint32_t* pixels, int width, int height, std::string& error) {
    bool opaque = true;
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) opaque = opaque && (pixels[i] >> 24) == 255;
    const int channels = opaque ? 3 : 4;

    std::vector<uint8_t> rows(size_t(width) * size_t(height) * size_t(channels));
    for (size_t i = 0, o = 0; i < size_t(width) * size_t(height); ++i) {
        const uint32_t p = pixels[i];
        rows[o++] = uint8_t(p >> 16);
        rows[o++] = uint8_t(p >> 8);
        rows[o++] = uint8_t(p);
        if (!opaque) rows[o++] = uint8_t(p >> 24);
    }

    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = "cannot open " + path + " for writing";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        error = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "libpng failed writing " + path;
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rows.data() + size_t(y) * size_t(width) * size_t(channels));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace kx::art
