#include "kelvox2/host/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kx {

namespace {

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Where a new file at `path` would be: its folder resolved, so that two
// spellings of one place compare equal.
std::string placeOf(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    return ec ? path : p.string();
}

}  // namespace

std::string resolveOutputPath(const std::string& path) {
    std::string p = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        char target[PATH_MAX];
        ssize_t n = ::readlink(p.c_str(), target, sizeof target - 1);
        if (n <= 0)
            return p;
        target[n] = '\0';
        p = target[0] == '/' ? std::string(target) : folderOf(p) + target;
    }
    return path;
}

bool sameExistingFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

void FileRoles::input(const std::string& role, const std::string& path) {
    if (!path.empty())
        inputs_.push_back({role, path});
}

void FileRoles::output(const std::string& role, const std::string& path) {
    if (!path.empty())
        outputs_.push_back({role, path});
}

std::string FileRoles::clash() const {
    for (const File& out : outputs_)
        for (const File& in : inputs_)
            if (sameExistingFile(out.path, in.path))
                return out.role + " '" + out.path + "' would replace " + in.role + " '" + in.path +
                       "': an output never replaces an input";
    for (size_t i = 0; i < outputs_.size(); ++i)
        for (size_t j = i + 1; j < outputs_.size(); ++j) {
            const File& a = outputs_[i];
            const File& b = outputs_[j];
            if (sameExistingFile(a.path, b.path) ||
                placeOf(resolveOutputPath(a.path)) == placeOf(resolveOutputPath(b.path)))
                return a.role + " '" + a.path + "' and " + b.role + " '" + b.path + "' are the same file";
        }
    return {};
}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const std::string& path, std::string& error) {
    discard();
    path_ = path;
    target_ = resolveOutputPath(path);
    struct stat st;
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        error = "cannot write '" + path + "': it is a folder";
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or a pipe cannot be replaced by a renamed file (and as root
        // that would swap /dev/null for a plain file): write into it.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    } else {
        partial_ = target_ + ".partial";
        const mode_t mode = exists ? (st.st_mode & 07777) : 0666;
        fd_ = ::open(partial_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
        // The replacement keeps the permissions of the file it replaces.
        if (fd_ >= 0 && exists)
            (void)::fchmod(fd_, mode);
    }
    if (fd_ < 0) {
        error = "cannot write '" + path + "': " + describeWriteError(errno);
        partial_.clear();
        return false;
    }
    return true;
}

bool OutputFile::write(const void* data, size_t size, std::string& error) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = "writing '" + path_ + "' failed: " + describeWriteError(n < 0 ? errno : EIO);
            return false;
        }
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (fd_ < 0) {
        error = "writing '" + path_ + "' failed: the file is not open";
        return false;
    }
    int failure = 0;
    if (!partial_.empty() && ::fsync(fd_) != 0)
        failure = errno;
    if (::close(fd_) != 0 && !failure)
        failure = errno;
    fd_ = -1;
    if (!failure && !partial_.empty() && std::rename(partial_.c_str(), target_.c_str()) != 0)
        failure = errno;
    if (failure) {
        error = "writing '" + path_ + "' failed: " + describeWriteError(failure);
        discard();
        return false;
    }
    partial_.clear();
    return true;
}

void OutputFile::discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!partial_.empty())
        ::unlink(partial_.c_str());
    partial_.clear();
}

std::string describeWriteError(int error) {
    switch (error) {
    case ENOSPC: return "the disk is full";
    case EDQUOT: return "the disk quota is used up";
    case EFBIG: return "the file is larger than this system allows";
    case EROFS: return "the file system is read-only";
    case EACCES:
    case EPERM: return "permission denied";
    case ENOENT: return "no such folder";
    case ENOTDIR: return "a part of the path is not a folder";
    case EISDIR: return "it is a folder";
    case ELOOP: return "too many symbolic links";
    default: return std::strerror(error);
    }
}

}  // namespace kx
