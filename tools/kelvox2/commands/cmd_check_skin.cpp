// kelvox2 check-skin: parses a skin script as the instrument would and
// reports every line the parser passes over, with the reason.
#include <cstdio>
#include <string>

#include "kelvox2/commands/command_messages.h"
#include "kelvox2/commands/skin_report.h"
#include "kelvox2/commands/subcommands.h"
#include "kelvox2/host/option_reader.h"

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
                 "unknown alignment or variable, an image whose frames do not fit its picture,\n"
                 "a size the editor's canvas cannot hold, a font face this system lacks, a link\n"
                 "that is not http:, https: or mailto: (such links do nothing), a '#' or a\n"
                 "missing closing quote inside a quoted text, a line cut at 254 characters.\n"
                 "PngFile images are read from the skin file's folder: place both next to the\n"
                 "plug-in to use them.\n"
                 "\n"
                 "Exit status: 0 when every line applies as written, 1 when lines were\n"
                 "ignored or look wrong, 2 when the skin is rejected or the file can't be read\n"
                 "or is not text.\n");
}

const CommandMessages kReport("check-skin");

}  // namespace

int runCheckSkin(int argc, char** argv) {
    std::string path;
    bool given = false;
    kx::OptionReader r(argc, argv);
    while (r.next()) {
        if (r.isOperand()) {
            if (given)
                return kReport.failure("one skin file only", 2);
            path = r.operand();
            given = true;
        } else if (r.is("-h") || r.is("--help")) {
            if (r.hasUnusedValue())
                return kReport.usageError("option '" + r.name() + "' takes no value", printHelp);
            printHelp(stdout);
            return 0;
        } else {
            return kReport.usageError("unknown option '" + r.name() + "'", printHelp);
        }
    }
    if (!given)
        return kReport.usageError("no skin file given", printHelp);
    SkinCheck check = checkSkinFile(path.c_str(), stdout);
    if (!check.unreadable.empty())
        return kReport.failure(check.unreadable, 2);
    return check.status;
}

}  // namespace kelvox2
