// kelvox2 png: decodes a PNG file with the instrument's own decoder.
#include "kelvox2/commands/subcommands.h"
#include "kelvox2/host/option_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/png_decoder.h"
#include "kelvox2/commands/command_messages.h"
#include "kelvox2/host/output_file.h"

namespace kelvox2 {

namespace {

const CommandMessages kReport("png");

void printHelp(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 png FILE [--raw OUT]\n\n"
                 "Decodes FILE with the instrument's own PNG decoder and prints WIDTHxHEIGHT,\n"
                 "or 'refused: REASON' (exit status 1) when the decoder does not accept it.\n\n"
                 "options:\n"
                 "  --raw OUT   also write the pixels to OUT as little-endian 32-bit words\n"
                 "              0xAARRGGBB, row by row from the top (4 x WIDTH x HEIGHT bytes)\n"
                 "  --help      show this help\n\n"
                 "OUT never replaces FILE; writing through a symbolic link writes the file\n"
                 "it points to.\n");
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
    std::string inputName, rawName;
    const char* input = nullptr;
    const char* rawPath = nullptr;
    kx::OptionReader r(argc, argv);
    while (r.next()) {
        if (r.isOperand()) {
            if (input)
                return kReport.failure("more than one input file ('" + r.operand() + "')", 2);
            inputName = r.operand();
            input = inputName.c_str();
        } else if (r.is("--help") || r.is("-h")) {
            if (r.hasUnusedValue())
                return kReport.usageError("option '" + r.name() + "' takes no value", printHelp);
            printHelp(stdout);
            return 0;
        } else if (r.is("--raw")) {
            if (!r.value(rawName))
                return kReport.failure("--raw needs a file name", 2);
            rawPath = rawName.c_str();
        } else {
            return kReport.usageError("unknown option '" + r.name() + "'", printHelp);
        }
    }
    if (!input) {
        printHelp(stderr);
        return 2;
    }

    kx::FileRoles files;
    files.input("the PNG file", input);
    files.output("--raw", rawPath ? rawPath : "");
    if (std::string clash = files.clash(); !clash.empty())
        return kReport.failure(clash, 2);

    std::vector<uint8_t> bytes;
    errno = 0;
    if (!readFile(input, bytes)) {
        const int why = errno ? errno : EIO;
        return kReport.failure(std::string("cannot read '") + input + "': " + std::strerror(why), 2);
    }
    kx::PngError reason = kx::PngError::none;
    auto image = kx::decodePng(bytes.data(), bytes.size(), &reason);
    if (!image) {
        std::printf("refused: %s\n", kx::pngErrorText(reason));
        return 1;
    }
    if (rawPath) {
        // Words are written byte by byte so that the file is little-endian on any host.
        std::vector<uint8_t> raw(image->pixels.size() * 4);
        for (size_t i = 0; i < image->pixels.size(); ++i)
            for (int k = 0; k < 4; ++k)
                raw[4 * i + k] = uint8_t(image->pixels[i] >> (8 * k));
        kx::OutputFile out;
        std::string error;
        if (!out.open(rawPath, error) || !out.write(raw.data(), raw.size(), error) || !out.commit(error))
            return kReport.failure(error, 2);
    }
    std::printf("%dx%d\n", image->width, image->height);
    return 0;
}

}  // namespace kelvox2
