// kelvox2 check-skin: parses a skin script as the instrument would and
// reports every line the parser passes over, with the reason.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data/byte_source.h"
#include "data/file_access.h"
#include "data/tokenizer.h"
#include "skin/skin_parser.h"
#include "skin_session.h"
#include "subcommands.h"

namespace kelvox2 {

namespace {

void printHelp(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 check-skin SKIN.txt\n"
                 "\n"
                 "Parses a skin script against the instrument (its parameters, commands and\n"
                 "built-in files) and lists each line the parser ignores, and why. PngFile\n"
                 "images are looked for next to the tool, where the plug-in looks for them.\n"
                 "\n"
                 "Exit status: 0 when every line applies, 1 when lines were ignored,\n"
                 "2 when the skin is rejected or the file can't be read.\n");
}

// The physical line each line of the line reader starts on: runs of line
// ends count as one break, and lines longer than the reader's limit come
// back in pieces.
std::vector<int> readerLineNumbers(const uint8_t* bytes, uint64_t length) {
    const uint64_t limit = kx::KTokenizer::kLineSize - 2;
    std::vector<int> numbers;
    int physical = 1;
    uint64_t i = 0;
    while (i < length) {
        numbers.push_back(physical);
        uint64_t taken = 0;
        while (i < length && bytes[i] != '\n' && bytes[i] != '\r' && taken < limit) {
            ++i;
            ++taken;
        }
        while (i < length && (bytes[i] == '\n' || bytes[i] == '\r')) {
            if (bytes[i] == '\n' || i + 1 >= length || bytes[i + 1] != '\n')
                ++physical;
            ++i;
        }
    }
    return numbers;
}

class Report : public kx::KSkinDiagnostics {
public:
    Report(const char* path, std::vector<int> numbers) : path_(path), numbers_(std::move(numbers)) {}
    void lineIgnored(int line, const char* text, const char* reason) override {
        int physical = line >= 1 && line <= static_cast<int>(numbers_.size()) ? numbers_[line - 1] : line;
        std::printf("%s:%d: %s\n    ignored: %s\n", path_, physical, text, reason);
        ++ignored;
    }
    void skinRejected(const char* reason) override {
        std::printf("%s: rejected: %s\n", path_, reason);
        rejected = true;
    }
    int ignored = 0;
    bool rejected = false;

private:
    const char* path_;
    std::vector<int> numbers_;
};

}  // namespace

int runCheckSkin(int argc, char** argv) {
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            printHelp(stdout);
            return 0;
        }
        if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "kelvox2 check-skin: unknown option '%s'\n\n", a.c_str());
            printHelp(stderr);
            return 2;
        }
        if (path) {
            std::fprintf(stderr, "kelvox2 check-skin: one skin file only\n");
            return 2;
        }
        path = argv[i];
    }
    if (!path) {
        std::fprintf(stderr, "kelvox2 check-skin: no skin file given\n\n");
        printHelp(stderr);
        return 2;
    }
    uint64_t length = 0;
    errno = 0;  // an empty file or a directory fails without an error of its own
    std::unique_ptr<uint8_t[]> bytes = kx::readWholeFile(path, &length);
    if (!bytes) {
        std::fprintf(stderr, "kelvox2 check-skin: cannot read %s%s%s\n", path,
                     errno ? ": " : " (empty, or not a regular file)",
                     errno ? std::strerror(errno) : "");
        return 2;
    }
    std::unique_ptr<kx::KEffect> effect = createInProcessInstrument();
    Report report(path, readerLineNumbers(bytes.get(), length));
    kx::KMemorySource source(bytes.get(), length);
    std::unique_ptr<kx::KSkin> skin = kx::parseSkin(source, effect.get(), nullptr, &report);
    if (!skin || report.rejected)
        return 2;
    std::printf("%s: %d x %d, %d page%s, %zu controls, %zu resources; %d line%s ignored\n", path, skin->width(),
                skin->height(), skin->pageCount(), skin->pageCount() == 1 ? "" : "s", skin->controlCount(),
                skin->resourceCount(), report.ignored, report.ignored == 1 ? "" : "s");
    return report.ignored ? 1 : 0;
}

}  // namespace kelvox2
