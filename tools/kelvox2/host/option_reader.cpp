#include "kelvox2/host/option_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace kx {

bool OptionReader::next() {
    for (;;) {
        if (++index_ >= argc_)
            return false;
        std::string arg = argv_[index_];
        attached_ = valueTaken_ = false;
        if (!endOfOptions_ && arg == "--") {
            endOfOptions_ = true;
            continue;
        }
        operand_ = endOfOptions_ || arg.size() < 2 || arg[0] != '-';
        name_ = arg;
        size_t eq = arg.find('=');
        if (!operand_ && arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name_ = arg.substr(0, eq);
            attachedValue_ = arg.substr(eq + 1);
            attached_ = true;
        }
        return true;
    }
}

bool OptionReader::value(std::string& out) {
    valueTaken_ = true;
    if (attached_) {
        out = attachedValue_;
        return true;
    }
    if (index_ + 1 >= argc_) {
        out.clear();
        return false;
    }
    out = argv_[++index_];
    return true;
}

bool parseNumber(const std::string& text, double min, double max, double& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (errno || *end != '\0' || !std::isfinite(v) || v < min || v > max)
        return false;
    out = v;
    return true;
}

bool parseInteger(const std::string& text, int min, int max, int& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno || *end != '\0' || v < min || v > max)
        return false;
    out = int(v);
    return true;
}

bool parseSeconds(const std::string& text, double min, double max, double& out) {
    std::string number = text;
    double scale = 1.0;
    auto endsWith = [&](const char* unit) {
        const std::string u = unit;
        return number.size() > u.size() && number.compare(number.size() - u.size(), u.size(), u) == 0;
    };
    if (endsWith("ms")) {
        number.resize(number.size() - 2);
        scale = 0.001;
    } else if (endsWith("s")) {
        number.pop_back();
    }
    while (!number.empty() && number.back() == ' ')
        number.pop_back();
    double v = 0.0;
    if (!parseNumber(number, -1e300, 1e300, v) || v * scale < min || v * scale > max)
        return false;
    out = v * scale;
    return true;
}

}  // namespace kx
