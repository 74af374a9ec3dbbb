// kelvox2 snapshot: paints the instrument's editor headless into a PNG file,
// optionally after replaying pointer events through the skin.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "command_messages.h"
#include "data/byte_source.h"
#include "data/file_access.h"
#include "host/output_file.h"
#include "skin/skin_factory.h"
#include "skin/skin_parser.h"
#include "skin_session.h"
#include "subcommands.h"

namespace kelvox2 {

namespace {

const CommandMessages kReport("snapshot");

void printHelp(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 snapshot [--page N] [--events FILE] [--skin SKIN.txt] OUT.png\n"
                 "\n"
                 "Builds the instrument's editor skin without a window (the skin next to the tool,\n"
                 "else the built-in one), paints it and writes the picture as PNG.\n"
                 "\n"
                 "  --page N         show page N, 1 to the skin's page count (after the start\n"
                 "                   page has been shown)\n"
                 "  --events FILE    replay pointer events, one per line, in canvas pixels:\n"
                 "                     down X Y [shift] [ctrl]    left button pressed\n"
                 "                     up X Y [shift] [ctrl]      left button released\n"
                 "                     rdown X Y ..., rup X Y ... the right button\n"
                 "                     move X Y [shift]           pointer moved\n"
                 "                     page N                     switch to page N\n"
                 "                     lost                       mouse capture lost\n"
                 "                   blank lines and lines starting with # are skipped\n"
                 "  --skin FILE      use this skin script instead\n"
                 "  -h, --help       show this help\n"
                 "\n"
                 "OUT.png never replaces the skin or the events file; writing through a\n"
                 "symbolic link writes the file it points to.\n");
}

bool parsePage(const char* text, int& page) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || end == text || *end || v < 0 || v > 1000000)
        return false;
    page = static_cast<int>(v);
    return true;
}

}  // namespace

int runSnapshot(int argc, char** argv) {
    const char* out = nullptr;
    const char* events = nullptr;
    const char* skinPath = nullptr;
    int page = -1;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            printHelp(stdout);
            return 0;
        }
        if (a == "--page" || a == "--events" || a == "--skin") {
            if (i + 1 >= argc)
                return kReport.failure(a + " needs a value", 2);
            const char* v = argv[++i];
            if (a == "--page" && !parsePage(v, page))
                return kReport.failure(std::string("bad page number '") + v + "'", 2);
            if (a == "--events")
                events = v;
            if (a == "--skin")
                skinPath = v;
        } else if (!a.empty() && a[0] == '-') {
            return kReport.usageError("unknown option '" + a + "'", printHelp);
        } else if (out) {
            return kReport.failure(std::string("one output file only ('") + out + "' and '" + a + "')", 2);
        } else {
            out = argv[i];
        }
    }
    if (!out)
        return kReport.usageError("no output file given", printHelp);

    // The skin the instrument reads when none is given lies next to the tool.
    char besideTool[kx::kLibraryPathSize];
    kx::FileRoles files;
    files.input("the skin", skinPath ? skinPath : "");
    if (!skinPath && kx::makeLibraryFilePath(besideTool, sizeof besideTool, kx::kSkinFileName))
        files.input("the skin", besideTool);
    files.input("the events file", events ? events : "");
    files.output("the picture", out);
    if (std::string clash = files.clash(); !clash.empty())
        return kReport.failure(clash, 2);

    std::unique_ptr<kx::KEffect> effect = createInProcessInstrument();
    std::unique_ptr<kx::KSkin> ownSkin;
    kx::KSkin* skin = effect ? effect->getSkin() : nullptr;
    if (skinPath) {
        errno = 0;  // a directory opens without an error of its own
        kx::KFileSource file(skinPath);
        if (!file.isOpen()) {
            const int why = errno;
            return kReport.failure(
                std::string("cannot read ") + skinPath + ": " + (why ? std::strerror(why) : "not a regular file"), 2);
        }
        // Images the script names lie beside it, as they would beside the plug-in.
        kx::KSkinFactory factory(effect.get());
        std::string folder(skinPath);
        folder.erase(folder.find_last_of('/') + 1);
        factory.setFileFolder(folder.empty() ? "./" : folder);
        ownSkin = kx::parseSkin(file, effect.get(), &factory);
        if (!ownSkin)
            return kReport.failure(std::string(skinPath) + " declares no size and pages (see check-skin)", 2);
        skin = ownSkin.get();
    }
    if (!skin)
        return kReport.failure("the instrument has no skin", 2);
    SkinView view(*skin);
    if (!view.canvas())
        return kReport.failure("the skin's size " + std::to_string(skin->width()) + " x " +
                                   std::to_string(skin->height()) + " is too large to paint",
                               2);
    if (page >= 0) {
        std::string why;
        if (!view.hasPage(page, why))
            return kReport.failure("--page " + std::to_string(page) + ": " + why, 2);
        skin->SetPage(page);
        view.paint();
    }
    if (events) {
        std::ifstream in(events);
        if (!in) {
            const int why = errno;
            return kReport.failure(std::string("cannot read ") + events + ": " + std::strerror(why), 2);
        }
        std::string line, error;
        for (int n = 1; std::getline(in, line); ++n) {
            if (!view.replay(line, error))
                return kReport.failure(std::string(events) + ":" + std::to_string(n) + ": " + error, 2);
        }
    }
    view.paint();
    std::string error;
    if (!writeCanvasPng(*view.canvas(), out, error))
        return kReport.failure(error, 2);
    std::printf("%s: %d x %d, page %d\n", out, view.canvas()->width(), view.canvas()->height(), skin->GetPage());
    return 0;
}

}  // namespace kelvox2
