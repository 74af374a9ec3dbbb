// What a subcommand tells the user on stderr when it stops or has a doubt:
// each message starts with the command's name, and the stopping ones give
// the exit code the command ends with.
#pragma once

#include <cstdio>
#include <string>

namespace kelvox2 {

class CommandMessages {
public:
    // `command` as the user typed it ("render", "skin export"); kept, not copied.
    explicit CommandMessages(const char* command) : command_(command) {}

    // The command was called wrongly: says where its options are told; 2.
    int usageError(const std::string& message) const;
    // The same with the whole help after the message; 2.
    int usageError(const std::string& message, void (*printHelp)(FILE*)) const;
    // The command could not do its work (a file it cannot read or write, a
    // plug-in that does not load): 2, as the manual page says, unless the
    // command found a fault it reports with 1.
    int failure(const std::string& message, int exitCode = 2) const;
    void warn(const std::string& message) const;
    // Anything else the command tells on stderr (what it wrote, what went
    // wrong when the caller picks the exit code itself).
    void say(const std::string& message) const;

private:
    const char* command_;
};

}  // namespace kelvox2
