#include "kelvox2/commands/skin_report.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "data/byte_source.h"
#include "data/file_access.h"
#include "data/tokenizer.h"
#include "graphics/resource.h"
#include "kelvox2/headless_skin.h"
#include "skin/skin.h"
#include "skin/skin_factory.h"
#include "skin/skin_parser.h"

namespace kelvox2 {

namespace {

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
    void print(FILE* out, const char* path, SkinCheck& check) {
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        int shown = 0;
        std::string where;
        for (const Finding& f : findings_) {
            if (f.line != shown) {
                bool known = f.line >= 1 && f.line <= static_cast<int>(lines_.size());
                const ReaderLine* at = known ? &lines_[f.line - 1] : nullptr;
                where = std::to_string(at ? at->physical : f.line) + ": " + (at ? printable(at->raw) : f.text);
                std::fprintf(out, "%s:%s\n", path, where.c_str());
                shown = f.line;
            }
            std::fprintf(out, "    %s: %s\n", f.kind, f.message.c_str());
            if (!std::strcmp(f.kind, "ignored"))
                check.ignored.push_back({where, f.message});
        }
        if (!rejection.empty())
            std::fprintf(out, "%s: rejected: %s\n", path, rejection.c_str());
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

}  // namespace

std::string describeNonText(const unsigned char* bytes, size_t length) {
    if (length >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
        return "not a text file the instrument reads: it is UTF-16 text (save it as plain 8-bit text)";
    size_t controls = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = bytes[i];
        if (c == 0)
            return "not a text file: it holds zero bytes (a picture or another binary file?)";
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v')
            ++controls;
    }
    // A stray control character is shown as an escape; a file of them is no text.
    if (controls * 20 > length)
        return "not a text file: " + std::to_string(controls) + " of its " + std::to_string(length) +
               " bytes are control characters";
    return {};
}

SkinCheck checkSkinFile(const char* path, FILE* out) {
    SkinCheck check;
    uint64_t length = 0;
    errno = 0;  // an empty file or a directory fails without an error of its own
    std::unique_ptr<uint8_t[]> bytes = kx::readWholeFile(path, &length);
    if (!bytes) {
        const int why = errno;
        check.unreadable = std::string("cannot read ") + path +
                           (why ? std::string(": ") + std::strerror(why) : " (empty, or not a regular file)");
        return check;
    }
    if (std::string notText = describeNonText(bytes.get(), size_t(length)); !notText.empty()) {
        check.unreadable = std::string(path) + " is " + notText;
        return check;
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
    report.print(out, path, check);
    if (!skin)
        return check;
    for (size_t i = 0; i < skin->resourceCount(); ++i)
        if (const kx::KResource* r = skin->resource(i); r && r->isClass("KImageResource"))
            check.images.push_back(r->getName());
    const int controls = static_cast<int>(skin->controlCount()), resources = static_cast<int>(skin->resourceCount());
    std::fprintf(out, "%s: %d x %d, %d %s, %d %s, %d %s; %d %s ignored, %d %s\n", path, skin->width(), skin->height(),
                 skin->pageCount(), plural(skin->pageCount(), "page", "pages"), controls,
                 plural(controls, "control", "controls"), resources, plural(resources, "resource", "resources"),
                 report.ignored, plural(report.ignored, "line", "lines"), report.warnings,
                 plural(report.warnings, "warning", "warnings"));
    check.status = report.ignored || report.warnings ? 1 : 0;
    return check;
}

std::vector<std::string> describeLostImages(const SkinCheck& before, const SkinCheck& after) {
    std::vector<std::string> lost;
    for (const std::string& image : before.images) {
        if (std::find(after.images.begin(), after.images.end(), image) != after.images.end())
            continue;
        const std::string want = "no image named '" + image + "'";
        bool named = false;
        for (const SkinCheck::Ignored& line : after.ignored) {
            if (line.reason.find(want) == std::string::npos)
                continue;
            lost.push_back("line " + line.where + ": lost its image '" + image + "', so the control is gone");
            named = true;
        }
        if (!named)
            lost.push_back("the image '" + image + "' is gone; no control used it");
    }
    return lost;
}

}  // namespace kelvox2
