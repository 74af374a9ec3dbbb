#include "kelvox2/commands/command_messages.h"

namespace kelvox2 {

int CommandMessages::usageError(const std::string& message) const {
    std::fprintf(stderr, "kelvox2 %s: %s\n(see 'kelvox2 %s --help')\n", command_, message.c_str(), command_);
    return 2;
}

int CommandMessages::usageError(const std::string& message, void (*printHelp)(FILE*)) const {
    std::fprintf(stderr, "kelvox2 %s: %s\n\n", command_, message.c_str());
    printHelp(stderr);
    return 2;
}

int CommandMessages::failure(const std::string& message, int exitCode) const {
    std::fprintf(stderr, "kelvox2 %s: %s\n", command_, message.c_str());
    return exitCode;
}

void CommandMessages::say(const std::string& message) const {
    std::fprintf(stderr, "kelvox2 %s: %s\n", command_, message.c_str());
}

void CommandMessages::warn(const std::string& message) const {
    std::fprintf(stderr, "kelvox2 %s: warning: %s\n", command_, message.c_str());
}

}  // namespace kelvox2
