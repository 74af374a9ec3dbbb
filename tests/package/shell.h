// Commands run through the shell for the install and package tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

namespace kx::testing {

struct Shell {
    int status;
    std::string out;  // stdout and stderr together
};

inline Shell sh(const std::string& command) {
    Shell r{-1, {}};
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        r.out.append(buf.data(), n);
    int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::set<std::string> lines(const std::string& text) {
    std::set<std::string> set;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            set.insert(line);
    return set;
}

// A fresh, empty folder of its own for one test.
inline std::string scratch(const std::string& name) {
    std::string dir = ::testing::TempDir() + "kx_" + name;
    if (sh("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").status != 0)
        ADD_FAILURE() << "cannot make " << dir;
    return dir;
}

// The files an installation puts under its prefix, relative to it.
inline std::set<std::string> installedFiles() {
    return {"bin/kelvox2",
            "lib/vst/Kelvox2.so",
            "share/man/man1/kelvox2.1.gz",
            "share/doc/kelvox2/README.md",
            "share/doc/kelvox2/skins.md",
            "share/doc/kelvox2/midi.md",
            "share/doc/kelvox2/editor-page1.png",
            "share/doc/kelvox2/editor-page2.png"};
}

}  // namespace kx::testing
