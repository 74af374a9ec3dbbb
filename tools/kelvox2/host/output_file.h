// Writing the tool's outputs safely.
//
// An output never takes the place of one of the run's inputs: a command
// lists its files in FileRoles and refuses to start when an output names an
// input (directly, through a symbolic link or as a hard link) or another
// output. OutputFile writes beside the target and renames over it only once
// everything is written, so a failed run leaves an earlier file as it was;
// through a symbolic link it writes the file the link points to and keeps
// the link.
#pragma once

#include <string>
#include <vector>

namespace kx {

// The file a write to `path` lands in: symbolic links are followed, also a
// dangling one (whose target is then created). The path itself when it is no
// link, or when the links loop.
std::string resolveOutputPath(const std::string& path);

// True when both paths name one existing file (links followed).
bool sameExistingFile(const std::string& a, const std::string& b);

class FileRoles {
public:
    // role: how the user gave the file, as a message names it ("the MIDI file",
    // "--save-fxp"). Empty paths are ignored.
    void input(const std::string& role, const std::string& path);
    void output(const std::string& role, const std::string& path);
    // Empty when every output is a file of its own; else a message naming the
    // output and the file it would replace.
    std::string clash() const;

private:
    struct File {
        std::string role, path;
    };
    std::vector<File> inputs_, outputs_;
};

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // an output never committed is discarded
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens for writing. A regular file (or a new one) is written beside its
    // target; anything else that is not a folder (a device such as /dev/null)
    // is written in place. False with "cannot write 'PATH': REASON".
    bool open(const std::string& path, std::string& error);
    int descriptor() const { return fd_; }
    // Writes all bytes; false with a message when they did not all go out.
    bool write(const void* data, size_t size, std::string& error);
    // Flushes to the disk and puts the file in place of the target.
    bool commit(std::string& error);
    // Closes and removes what was written; an earlier target stays.
    void discard();
    const std::string& path() const { return path_; }

private:
    std::string path_;     // as the user gave it
    std::string target_;   // where it ends up, links followed
    std::string partial_;  // what is being written; empty when in place
    int fd_ = -1;
};

// Why a write failed, in the user's terms: "the disk is full" and the like.
std::string describeWriteError(int error);

}  // namespace kx
