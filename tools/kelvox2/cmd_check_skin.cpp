// kelvox2 check-skin: parses a skin script as the instrument would and
// reports every line the parser passes over, with the reason.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command_messages.h"
#include "data/byte_source.h"
#include "data/file_access.h"
#include "data/tokenizer.h"
#include "skin/skin_factory.h"
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
                 "built-in files) and lists each line the parser ignores, and why, and each\n"
                 "line that applies but cannot be what was meant: a word where a number\n"
                 "belongs, a control outside the editor or on a page the skin does not have,\n"
                 "a size of 0 or less, a second Init, a resource or check name used twice, an\n"
                 "unknown alignment or variable, an image whose frames do not fit its picture.\n"
                 "PngFile images are read from the skin file's folder: place both next to the\n"
                 "plug-in to use them.\n"
                 "\n"
                 "Exit status: 0 when every line applies as written, 1 when lines were\n"
                 "ignored or look wrong, 2 when the skin is rejected or the file can't be read.\n");
}

// One line as the line reader delivers it: where it starts in the file and
// its bytes as written.
struct ReaderLine {
    int physical;
    std::string raw;
};

// Runs of line ends count as one break, and lines longer than the reader's
// limit come back in pieces, as the reader does.
std::vector<ReaderLine> readerLines(const uint8_t* bytes, uint64_t length) {
    const uint64_t limit = kx::KTokenizer::kLineSize - 2;
    std::vector<ReaderLine> lines;
    int physical = 1;
    uint64_t i = 0;
    while (i < length) {
        uint64_t start = i;
        while (i < length && bytes[i] != '\n' && bytes[i] != '\r' && i - start < limit)
            ++i;
        lines.push_back({physical, std::string(reinterpret_cast<const char*>(bytes + start), i - start)});
        while (i < length && (bytes[i] == '\n' || bytes[i] == '\r')) {
            if (bytes[i] == '\n' || i + 1 >= length || bytes[i + 1] != '\n')
                ++physical;
            ++i;
        }
    }
    return lines;
}

// The line as written, with control characters shown as escapes so that
// nothing in a file can drive the terminal.
std::string printable(const std::string& raw) {
    std::string s;
    for (unsigned char c : raw) {
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            s += escape;
        } else {
            s += static_cast<char>(c);
        }
    }
    return s;
}

class Report : public kx::KSkinDiagnostics {
public:
    explicit Report(std::vector<ReaderLine> lines) : lines_(std::move(lines)) {}

    void lineIgnored(int line, const char* text, const char* reason) override {
        findings_.push_back({line, text, "ignored", reason});
        ++ignored;
    }
    void lineWarning(int line, const char* text, const char* warning) override {
        findings_.push_back({line, text, "warning", warning});
        ++warnings;
    }
    void skinRejected(const char* reason) override { rejection = reason; }

    // Each line once, in file order, with everything found on it.
    void print(const char* path) {
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        int shown = 0;
        for (const Finding& f : findings_) {
            if (f.line != shown) {
                bool known = f.line >= 1 && f.line <= static_cast<int>(lines_.size());
                const ReaderLine* at = known ? &lines_[f.line - 1] : nullptr;
                std::printf("%s:%d: %s\n", path, at ? at->physical : f.line,
                            at ? printable(at->raw).c_str() : f.text.c_str());
                shown = f.line;
            }
            std::printf("    %s: %s\n", f.kind, f.message.c_str());
        }
        if (!rejection.empty())
            std::printf("%s: rejected: %s\n", path, rejection.c_str());
    }

    int ignored = 0;
    int warnings = 0;
    std::string rejection;

private:
    struct Finding {
        int line;
        std::string text;
        const char* kind;
        std::string message;
    };
    std::vector<ReaderLine> lines_;
    std::vector<Finding> findings_;
};

const char* plural(int n, const char* one, const char* many) { return n == 1 ? one : many; }

const CommandMessages kReport("check-skin");

}  // namespace

int runCheckSkin(int argc, char** argv) {
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            printHelp(stdout);
            return 0;
        }
        if (!a.empty() && a[0] == '-')
            return kReport.usageError("unknown option '" + a + "'", printHelp);
        if (path)
            return kReport.failure("one skin file only", 2);
        path = argv[i];
    }
    if (!path)
        return kReport.usageError("no skin file given", printHelp);
    uint64_t length = 0;
    errno = 0;  // an empty file or a directory fails without an error of its own
    std::unique_ptr<uint8_t[]> bytes = kx::readWholeFile(path, &length);
    if (!bytes) {
        const int why = errno;
        return kReport.failure(std::string("cannot read ") + path +
                                   (why ? std::string(": ") + std::strerror(why) : " (empty, or not a regular file)"),
                               2);
    }
    std::unique_ptr<kx::KEffect> effect = createInProcessInstrument();
    // The parser skips a byte-order mark; so do the line numbers.
    const bool bom = length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    Report report(readerLines(bytes.get() + (bom ? 3 : 0), length - (bom ? 3 : 0)));
    kx::KSkinFactory factory(effect.get());
    std::string folder(path);
    folder.erase(folder.find_last_of('/') + 1);
    factory.setFileFolder(folder.empty() ? "./" : folder);
    kx::KMemorySource source(bytes.get(), length);
    std::unique_ptr<kx::KSkin> skin = kx::parseSkin(source, effect.get(), &factory, &report);
    report.print(path);
    if (!skin)
        return 2;
    const int controls = static_cast<int>(skin->controlCount()), resources = static_cast<int>(skin->resourceCount());
    std::printf("%s: %d x %d, %d %s, %d %s, %d %s; %d %s ignored, %d %s\n", path, skin->width(), skin->height(),
                skin->pageCount(), plural(skin->pageCount(), "page", "pages"), controls,
                plural(controls, "control", "controls"), resources, plural(resources, "resource", "resources"),
                report.ignored, plural(report.ignored, "line", "lines"), report.warnings,
                plural(report.warnings, "warning", "warnings"));
    return report.ignored || report.warnings ? 1 : 0;
}

}  // namespace kelvox2
