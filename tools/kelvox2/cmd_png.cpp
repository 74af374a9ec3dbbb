// kelvox2 png: decodes a PNG file with the instrument's own decoder.
#include "subcommands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/png_decoder.h"

namespace kelvox2 {

namespace {

void printHelp(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 png FILE [--raw OUT]\n\n"
                 "Decodes FILE with the instrument's own PNG decoder and prints WIDTHxHEIGHT,\n"
                 "or 'refused: REASON' (exit status 1) when the decoder does not accept it.\n\n"
                 "options:\n"
                 "  --raw OUT   also write the pixels to OUT as little-endian 32-bit words\n"
                 "              0xAARRGGBB, row by row from the top (4 x WIDTH x HEIGHT bytes)\n"
                 "  --help      show this help\n");
}

bool readFile(const char* path, std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

}  // namespace

int runPng(int argc, char** argv) {
    const char* input = nullptr;
    const char* rawPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            printHelp(stdout);
            return 0;
        } else if (!std::strcmp(argv[i], "--raw")) {
            if (++i >= argc) {
                std::fprintf(stderr, "kelvox2 png: --raw needs a file name\n");
                return 2;
            }
            rawPath = argv[i];
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "kelvox2 png: unknown option '%s'\n\n", argv[i]);
            printHelp(stderr);
            return 2;
        } else if (!input) {
            input = argv[i];
        } else {
            std::fprintf(stderr, "kelvox2 png: more than one input file ('%s')\n", argv[i]);
            return 2;
        }
    }
    if (!input) {
        printHelp(stderr);
        return 2;
    }

    std::vector<uint8_t> bytes;
    errno = 0;
    if (!readFile(input, bytes)) {
        std::fprintf(stderr, "kelvox2 png: cannot read '%s': %s\n", input, std::strerror(errno ? errno : EIO));
        return 2;
    }
    kx::PngError reason = kx::PngError::none;
    auto image = kx::decodePng(bytes.data(), bytes.size(), &reason);
    if (!image) {
        std::printf("refused: %s\n", kx::pngErrorText(reason));
        return 1;
    }
    if (rawPath) {
        FILE* out = std::fopen(rawPath, "wb");
        if (!out) {
            std::fprintf(stderr, "kelvox2 png: cannot write '%s': %s\n", rawPath, std::strerror(errno));
            return 2;
        }
        // Words are written byte by byte so that the file is little-endian on any host.
        std::vector<uint8_t> row(size_t(image->width) * 4);
        bool ok = true;
        for (int32_t y = 0; y < image->height && ok; ++y) {
            for (int32_t x = 0; x < image->width; ++x) {
                const uint32_t p = image->at(x, y);
                for (int k = 0; k < 4; ++k)
                    row[size_t(x) * 4 + k] = uint8_t(p >> (8 * k));
            }
            ok = std::fwrite(row.data(), 1, row.size(), out) == row.size();
        }
        if (std::fclose(out) != 0 || !ok) {
            std::fprintf(stderr, "kelvox2 png: writing '%s' failed\n", rawPath);
            std::remove(rawPath);
            return 2;
        }
    }
    std::printf("%dx%d\n", image->width, image->height);
    return 0;
}

}  // namespace kelvox2
