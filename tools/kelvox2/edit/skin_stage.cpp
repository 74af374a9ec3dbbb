#include "kelvox2/edit/skin_stage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "kelvox2/host/byte_reader.h"
#include "skin/skin_parser.h"

namespace kelvox2 {

namespace {

// Skin scripts are a few kilobytes; this only stops a wrong file early.
constexpr size_t kMaxSkinBytes = 16u << 20;

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isImageName(const char* name) {
    size_t n = std::strlen(name);
    return n > 4 && strcasecmp(name + n - 4, ".png") == 0;
}

std::string errnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

// Writes all of `data` to a new file at `path` with `mode`, replacing any
// file there only once the whole copy is written.
bool writeFileAtomically(const std::string& path, const uint8_t* data, size_t size, mode_t mode, std::string& error) {
    std::string temporary = path + ".part";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        error = errnoText("cannot write " + temporary);
        return false;
    }
    bool ok = true;
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = errnoText("cannot write " + temporary);
            ok = false;
            break;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    if (::close(fd) != 0 && ok) {
        error = errnoText("cannot write " + temporary);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errnoText("cannot write " + path);
        ok = false;
    }
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

}  // namespace

SkinStage::~SkinStage() {
    if (watchFd_ >= 0)
        ::close(watchFd_);
    if (folder_.empty())
        return;
    removeLinks();
    ::unlink((folder_ + "/" + kx::kSkinFileName).c_str());
    if (!pluginCopy_.empty())
        ::unlink(pluginCopy_.c_str());
    ::rmdir(folder_.c_str());
}

bool SkinStage::create(const std::string& pluginPath, const std::string& skinPath, std::string& error) {
    // The folder by its real path, so the watch survives the current
    // directory and the skin may be replaced by a rename, as editors save.
    char real[PATH_MAX];
    if (!::realpath(folderOf(skinPath).c_str(), real)) {
        error = errnoText("cannot find the folder of " + skinPath);
        return false;
    }
    skinFolder_ = real;
    skinName_ = baseName(skinPath);
    skinPath_ = skinFolder_ + "/" + skinName_;

    std::vector<uint8_t> library;
    std::string why;
    if (!kx::readFileCapped(pluginPath.c_str(), size_t(1) << 30, library, why)) {
        error = pluginPath + ": " + why;
        return false;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kelvox2-edit-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        error = errnoText("cannot make a private folder " + pattern);
        return false;
    }
    folder_ = name.data();
    std::string copy = folder_ + "/" + baseName(pluginPath);
    if (!writeFileAtomically(copy, library.data(), library.size(), 0755, error))
        return false;
    pluginCopy_ = copy;

    watchFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd_ < 0 ||
        ::inotify_add_watch(watchFd_, skinFolder_.c_str(),
                            IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB) < 0) {
        error = errnoText("cannot watch " + skinFolder_ + " for changes");
        return false;
    }
    return true;
}

void SkinStage::removeLinks() {
    for (const std::string& link : links_)
        ::unlink(link.c_str());
    links_.clear();
}

bool SkinStage::stage(std::string& error) {
    std::vector<uint8_t> script;
    std::string why;
    if (!kx::readFileCapped(skinPath_.c_str(), kMaxSkinBytes, script, why)) {
        error = skinPath_ + ": " + why;
        return false;
    }
    if (!writeFileAtomically(folder_ + "/" + kx::kSkinFileName, script.data(), script.size(), 0644, error))
        return false;

    removeLinks();
    DIR* dir = ::opendir(skinFolder_.c_str());
    if (!dir)
        return true;  // the script alone still shows
    const std::string copyName = baseName(pluginCopy_);
    while (dirent* entry = ::readdir(dir)) {
        if (!isImageName(entry->d_name) || copyName == entry->d_name)
            continue;
        std::string target = skinFolder_ + "/" + entry->d_name;
        struct stat st;
        if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        std::string link = folder_ + "/" + entry->d_name;
        if (::symlink(target.c_str(), link.c_str()) == 0)
            links_.push_back(link);
    }
    ::closedir(dir);
    return true;
}

bool SkinStage::takeChanges() {
    if (watchFd_ < 0)
        return false;
    bool changed = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        ssize_t n = ::read(watchFd_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && (skinName_ == event->name || isImageName(event->name)))
                changed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return changed;
}

}  // namespace kelvox2
