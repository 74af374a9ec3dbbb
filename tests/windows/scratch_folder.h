// Test helpers on Windows: a scratch folder removed with its contents, and
// the tests' Linux paths in the form Windows programs name them.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace kx::testing {

// A full Windows path for a path the build wrote in Linux form; wine's drive
// Z: is the Linux root.
inline std::string windowsPath(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    char full[MAX_PATH * 4];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n > 0 && n < sizeof full ? std::string(full, n) : path;
}

class ScratchFolder {
public:
    ScratchFolder() {
        path_ = std::filesystem::temp_directory_path() / ("kx-windows-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder with its trailing backslash.
    std::string path() const { return path_.string() + "\\"; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }

private:
    std::filesystem::path path_;
};

}  // namespace kx::testing
