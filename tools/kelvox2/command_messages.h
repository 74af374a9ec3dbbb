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
    // The command could not do its work; 1 unless the command's own exit
    // codes say otherwise.
    int failure(const std::string& message, int exitCode = 1) const;
    void warn(const std::string& message) const;

private:
    const char* command_;
};

}  // namespace kelvox2
