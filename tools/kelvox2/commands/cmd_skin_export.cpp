// kelvox2 skin export: writes the built-in skin script and the images it
// names as files, for a skin author to start from.
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/byte_source.h"
#include "data/embedded_file.h"
#include "data/tokenizer.h"
#include "kelvox2/commands/command_messages.h"
#include "kelvox2/commands/subcommands.h"
#include "kelvox2/host/option_reader.h"
#include "skin/skin_parser.h"

namespace kelvox2 {

namespace {

const CommandMessages kReport("skin export");

void printHelp(FILE* out) {
    std::fprintf(out,
                 "usage: kelvox2 skin export [--force] DIR\n"
                 "\n"
                 "Writes the instrument's built-in skin script as DIR/%s, with the\n"
                 "images it uses beside it, as a skin to start from. The script reads its\n"
                 "images from those files (PngFile), so editing a picture changes the skin.\n"
                 "Place the files next to the plug-in (Kelvox2.so) and it uses them in place of\n"
                 "its built-in skin; 'kelvox2 check-skin DIR/%s' tells what is wrong\n"
                 "with a line. DIR is created when missing.\n"
                 "\n"
                 "  --force      replace files that exist already (they are kept otherwise)\n"
                 "  -h, --help   show this help\n",
                 kx::kSkinFileName, kx::kSkinFileName);
}

struct ExportFile {
    std::string name;
    std::string bytes;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Where the third word of a raw script line starts (npos when it has none);
// quoted words are one word, as the tokenizer reads them.
size_t thirdWord(const std::string& line) {
    size_t i = 0;
    for (int word = 0; word < 2; ++word) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i < line.size() && line[i] == '"') {
            size_t close = line.find('"', i + 1);
            i = close == std::string::npos ? line.size() : close + 1;
        } else {
            while (i < line.size() && !isBlank(line[i]))
                ++i;
        }
    }
    while (i < line.size() && isBlank(line[i]))
        ++i;
    return i < line.size() ? i : std::string::npos;
}

// The built-in script with each built-in image (PngResource) turned into an
// image file next to the script (PngFile); every other byte stays as it is.
// The names of those images are added to `images`.
std::string scriptReadingFiles(const std::string& script, std::vector<std::string>& images) {
    static const char kBuiltIn[] = "PngResource";
    std::string out;
    size_t start = 0;
    while (start < script.size()) {
        size_t end = script.find('\n', start);
        end = end == std::string::npos ? script.size() : end + 1;
        std::string line = script.substr(start, end - start);
        start = end;
        kx::KTokenizer words(nullptr);
        words.setLine(line.substr(0, line.find_first_of("\r\n")).c_str());
        if (words.wordIs(0, "AddResource") && words.wordIs(2, kBuiltIn) && words.wordCount() >= 4) {
            size_t at = thirdWord(line);
            if (at != std::string::npos && !strncasecmp(line.c_str() + at, kBuiltIn, sizeof kBuiltIn - 1)) {
                line.replace(at, sizeof kBuiltIn - 1, "PngFile");
                images.push_back(words.getWord(3));
            }
        }
        out += line;
    }
    return out;
}

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A new file is created only where none is; a replaced one is written beside
// its target first and renamed over it, so a failed write never leaves half a
// file. A symbolic link keeps pointing where it did: its target is replaced.
bool writeFile(const std::string& path, const std::string& bytes, bool replace, std::string& error) {
    std::string target = path;
    if (replace) {
        char resolved[PATH_MAX];
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && realpath(path.c_str(), resolved))
            target = resolved;
    }
    std::string temp = replace ? target + ".XXXXXX" : target;
    int fd = replace ? mkstemp(temp.data()) : ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        error = "cannot create " + (replace ? temp : target) + ": " + std::strerror(errno);
        return false;
    }
    bool ok = writeAll(fd, bytes) && (!replace || fchmod(fd, 0644) == 0);
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && replace && std::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        error = "cannot write " + target + ": " + std::strerror(savedErrno);
        ::unlink(temp.c_str());
    }
    return ok;
}

// Creates the folder and any missing parents.
bool makeFolder(const std::string& dir, std::string& error) {
    std::string partial;
    size_t at = 0;
    while (at != std::string::npos) {
        at = dir.find('/', at + 1);
        partial = dir.substr(0, at);
        if (partial.empty() || exists(partial))
            continue;
        if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot create the folder " + partial + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = dir + " is not a folder";
        return false;
    }
    return true;
}

int runExport(int argc, char** argv) {
    std::string dirName;
    const char* dir = nullptr;
    bool force = false;
    kx::OptionReader r(argc, argv);
    while (r.next()) {
        if (r.isOperand()) {
            if (dir)
                return kReport.failure("one folder only ('" + dirName + "' and '" + r.operand() + "')", 2);
            dirName = r.operand();
            dir = dirName.c_str();
        } else if (r.is("-h") || r.is("--help")) {
            if (r.hasUnusedValue())
                return kReport.usageError("option '" + r.name() + "' takes no value", printHelp);
            printHelp(stdout);
            return 0;
        } else if (r.is("--force") || r.is("-f")) {
            if (r.hasUnusedValue())
                return kReport.usageError("option '" + r.name() + "' takes no value", printHelp);
            force = true;
        } else {
            return kReport.usageError("unknown option '" + r.name() + "'", printHelp);
        }
    }
    if (!dir || !*dir)
        return kReport.usageError("no folder given", printHelp);

    uint64_t length = 0;
    const uint8_t* script = kx::findEmbeddedFile(kx::kSkinFileName, &length);
    if (!script)
        return kReport.failure("this build carries no built-in skin", 2);
    std::vector<std::string> images;
    std::vector<ExportFile> files;
    files.push_back(
        {kx::kSkinFileName, scriptReadingFiles(std::string(reinterpret_cast<const char*>(script), length), images)});
    for (const std::string& image : images) {
        const uint8_t* bytes = kx::findEmbeddedFile(image.c_str(), &length);
        if (!bytes)
            return kReport.failure("the built-in skin names '" + image + "', which this build lacks", 2);
        files.push_back({image, std::string(reinterpret_cast<const char*>(bytes), length)});
    }

    std::string folder = dir;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string error;
    if (!makeFolder(folder, error))
        return kReport.failure(error, 2);
    std::string prefix = folder == "/" ? folder : folder + "/";
    if (!force) {
        std::vector<std::string> present;
        for (const ExportFile& f : files)
            if (exists(prefix + f.name))
                present.push_back(prefix + f.name);
        if (!present.empty()) {
            for (const std::string& p : present)
                kReport.failure(p + " exists already");
            return kReport.failure(
                std::string("nothing written; use --force to replace ") + (present.size() == 1 ? "it" : "them"), 2);
        }
    }
    for (const ExportFile& f : files) {
        if (!writeFile(prefix + f.name, f.bytes, force, error))
            return kReport.failure(error, 2);
        std::printf("wrote %s%s\n", prefix.c_str(), f.name.c_str());
    }
    std::printf(
        "Place these files next to the plug-in (Kelvox2.so) to use them; "
        "check your edits with 'kelvox2 check-skin %s%s'.\n",
        prefix.c_str(), kx::kSkinFileName);
    return 0;
}

}  // namespace

int runSkin(int argc, char** argv) {
    if (argc >= 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) {
        printHelp(stdout);
        return 0;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "export"))
        return runExport(argc - 1, argv + 1);
    const CommandMessages skin("skin");
    if (argc < 2)
        return skin.usageError("which action? (export)", printHelp);
    return skin.usageError(std::string("unknown action '") + argv[1] + "' (export)", printHelp);
}

}  // namespace kelvox2
