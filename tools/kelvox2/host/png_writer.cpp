#include "kelvox2/host/png_writer.h"

#include "kelvox2/host/output_file.h"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace kx {

namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void noFlush(png_structp) {}

// libpng reports through this instead of printing its own text; the message
// is kept for ours.
[[noreturn]] void keepPngError(png_structp png, png_const_charp message) {
    auto* kept = static_cast<std::string*>(png_get_error_ptr(png));
    *kept = message ? message : "";
    png_longjmp(png, 1);
}

void ignorePngWarning(png_structp, png_const_charp) {}

bool isOpaque(const uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if ((pixels[i] >> 24) != 255)
            return false;
    return true;
}

}  // namespace

bool writeCanvasPng(const KCanvas& canvas, const char* path, std::string& error) {
    return writePixelsPng(canvas.pixels(), canvas.width(), canvas.height(), path, error);
}

bool writePixelsPng(const uint32_t* pixels, int w, int h, const char* path, std::string& error, PngAlpha alpha) {
    if (!pixels || w <= 0 || h <= 0) {
        error = "nothing to write";
        return false;
    }
    const size_t channels =
        alpha == PngAlpha::KeptUnlessOpaque && !isOpaque(pixels, static_cast<size_t>(w) * static_cast<size_t>(h)) ? 4
                                                                                                                  : 3;
    // Encoded in memory first: the file is then written whole, or not at all.
    std::vector<uint8_t> encoded;
    std::string pngMessage;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngMessage, keepPngError, ignorePngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(w) * channels);
    volatile bool ok = false;  // set after setjmp, read after a longjmp
    if (png && info && !setjmp(png_jmpbuf(png))) {
        png_set_write_fn(png, &encoded, appendToVector, noFlush);
        png_set_IHDR(png, info, w, h, 8, channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < h; ++y) {
            const uint32_t* src = pixels + static_cast<size_t>(y) * w;
            for (size_t x = 0, o = 0; x < static_cast<size_t>(w); ++x) {
                row[o++] = static_cast<png_byte>(src[x] >> 16);
                row[o++] = static_cast<png_byte>(src[x] >> 8);
                row[o++] = static_cast<png_byte>(src[x]);
                if (channels == 4)
                    row[o++] = static_cast<png_byte>(src[x] >> 24);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (!ok) {
        error = std::string("cannot write ") + path + ": the PNG encoder stopped (" +
                (pngMessage.empty() ? std::string("out of memory") : pngMessage) + ")";
        return false;
    }
    OutputFile out;
    return out.open(path, error) && out.write(encoded.data(), encoded.size(), error) && out.commit(error);
}

}  // namespace kx
