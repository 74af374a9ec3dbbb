// Command-line reading for the tool's subcommands: options may come anywhere,
// as "--name VALUE" or "--name=VALUE"; "--" ends the options.
#pragma once

#include <string>

namespace kx {

class OptionReader {
public:
    // argv[0] is the subcommand's name and is skipped.
    OptionReader(int argc, char** argv) : argc_(argc), argv_(argv) {}

    // Moves to the next argument; false when none is left.
    bool next();
    bool isOperand() const { return operand_; }
    const std::string& operand() const { return name_; }
    bool is(const char* option) const { return !operand_ && name_ == option; }
    const std::string& name() const { return name_; }
    // The option's value, attached or the next argument; false when missing.
    bool value(std::string& out);
    // True when "--name=VALUE" was given to an option that takes no value.
    bool hasUnusedValue() const { return attached_ && !valueTaken_; }

private:
    int argc_;
    char** argv_;
    int index_ = 0;
    bool endOfOptions_ = false;
    bool operand_ = false;
    bool attached_ = false;
    bool valueTaken_ = false;
    std::string name_;
    std::string attachedValue_;
};

// Whole-text number conversions with a range check; false for anything else.
bool parseNumber(const std::string& text, double min, double max, double& out);
bool parseInteger(const std::string& text, int min, int max, int& out);
// Seconds, plain or with a unit: "2", "0.5s", "500ms" (min and max in seconds).
bool parseSeconds(const std::string& text, double min, double max, double& out);

}  // namespace kx
