// Running commands and the kelvox2 tool as a user does, and the files they
// leave, for the tests that drive them from outside.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace kx::testing {

struct CommandRun {
    int status;       // exit status, -1 when it did not exit
    std::string out;  // stdout and stderr together
};

// Runs a shell command line as written: `out` is what it writes to stdout
// (the line redirects stderr where it wants it).
inline CommandRun runShell(const std::string& line) {
    CommandRun r{-1, {}};
    FILE* p = popen(line.c_str(), "r");
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

// Runs a shell command line, stdout and stderr together.
inline CommandRun runCommand(const std::string& command) { return runShell("{ " + command + "; } 2>&1"); }

#ifdef KX_TOOL_PATH
// Runs the tool as a user does: `args` go through the shell, `environment`
// (NAME=value ...) is put before the command. Stdout and stderr together.
inline CommandRun runTool(const std::string& args, const std::string& environment = "") {
    return runCommand(environment + (environment.empty() ? "" : " ") + "'" + KX_TOOL_PATH + "' " + args);
}

// The same, stdout alone (stderr dropped).
inline CommandRun runToolStdout(const std::string& args) {
    return runShell(std::string("'") + KX_TOOL_PATH + "' " + args + " 2>/dev/null");
}
#endif

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh, empty folder of its own under the test's temporary directory.
inline std::string freshFolder(const std::string& name) {
    std::string dir = ::testing::TempDir() + "kx_" + name;
    if (runCommand("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").status != 0)
        ADD_FAILURE() << "cannot make " << dir;
    return dir;
}

// The non-empty lines of a text.
inline std::set<std::string> lineSet(const std::string& text) {
    std::set<std::string> set;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            set.insert(line);
    return set;
}

}  // namespace kx::testing
