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

bool isOpaque(const uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if ((pixels[i] >> 24) != 255)
            return false;
    return true;
}

struct Rows {
    std::vector<uint8_t> bytes;
    int width = 0, height = 0, channels = 0;
};

// libpng reports failure by longjmp: nothing here lives across it but the
// two libpng handles, which are set before setjmp and never changed.
bool encode(FILE* file, const Rows& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(rows.width), png_uint_32(rows.height), 8,
                 rows.channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = size_t(rows.width) * size_t(rows.channels);
    for (int y = 0; y < rows.height; ++y)
        png_write_row(png, rows.bytes.data() + size_t(y) * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const std::string& path, const uint32_t* pixels, int width, int height, std::string& error) {
    const size_t count = size_t(width) * size_t(height);
    Rows rows;
    rows.width = width;
    rows.height = height;
    rows.channels = isOpaque(pixels, count) ? 3 : 4;
    rows.bytes.resize(count * size_t(rows.channels));
    for (size_t i = 0, o = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        rows.bytes[o++] = uint8_t(p >> 16);
        rows.bytes[o++] = uint8_t(p >> 8);
        rows.bytes[o++] = uint8_t(p);
        if (rows.channels == 4)
            rows.bytes[o++] = uint8_t(p >> 24);
    }

    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = "cannot open " + path + " for writing";
        return false;
    }
    if (!encode(file.get(), rows) || std::fflush(file.get()) != 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace kx::art
