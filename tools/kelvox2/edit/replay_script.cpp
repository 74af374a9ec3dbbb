#include "kelvox2/edit/replay_script.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "kelvox2/host/byte_reader.h"

namespace kelvox2 {

namespace {

// An events file is typed by hand; anything this large is some other file.
constexpr size_t kMaxReplayFileBytes = 1 << 20;
constexpr long kMaxCoordinate = 1000000;
constexpr long kMaxWaitMs = 600000;

bool readWhole(const std::string& word, long min, long max, int& out) {
    if (word.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(word.c_str(), &end, 10);
    if (errno || *end != '\0' || v < min || v > max)
        return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

const char* const kReplayHelp =
    "                     down X Y [shift] [ctrl] [alt]   left button pressed at X Y\n"
    "                     up [X Y] [shift] [ctrl] [alt]   left button released (where the pointer is)\n"
    "                     rdown X Y ..., rup [X Y] ...    the right button\n"
    "                     move X Y [shift] [ctrl] [alt]   pointer moved\n"
    "                     wheel up|down X Y [shift] ...   one notch of the mouse wheel at X Y\n"
    "                     key NAME [shift] [ctrl] [alt]   a key pressed and released (X keysym names:\n"
    "                                                     Return, Escape, BackSpace, Tab, Left, a, 5 ...)\n"
    "                     type TEXT                       the rest of the line typed, key by key\n"
    "                     wait MS                         the editor idles MS milliseconds\n"
    "                   blank lines and lines starting with # are skipped\n";

bool parseReplayLine(const std::string& line, ReplayStep& step, bool& isStep, std::string& error) {
    std::vector<std::string> words;
    {
        std::istringstream in(line);
        for (std::string w; in >> w;)
            words.push_back(w);
    }
    isStep = false;
    if (words.empty() || words[0][0] == '#')
        return true;
    step = ReplayStep{};
    const std::string& verb = words[0];
    size_t next = 1;

    auto isModifier = [](const std::string& w) { return w == "shift" || w == "ctrl" || w == "alt"; };
    auto readPoint = [&]() {
        if (next + 1 < words.size() && readWhole(words[next], -kMaxCoordinate, kMaxCoordinate, step.x) &&
            readWhole(words[next + 1], -kMaxCoordinate, kMaxCoordinate, step.y)) {
            step.hasPoint = true;
            next += 2;
            return true;
        }
        error = "'" + verb + "' needs X and Y, whole numbers within +-" + std::to_string(kMaxCoordinate);
        return false;
    };
    auto readModifiers = [&]() {
        for (; next < words.size(); ++next) {
            const std::string& w = words[next];
            if (!isModifier(w)) {
                error = "unexpected '" + w + "' (only shift, ctrl or alt may follow)";
                return false;
            }
            step.modifiers |= w == "shift" ? kReplayShift : w == "ctrl" ? kReplayCtrl : kReplayAlt;
        }
        return true;
    };

    if (verb == "down" || verb == "rdown" || verb == "move") {
        step.kind = verb == "move" ? ReplayStep::Kind::Move : ReplayStep::Kind::Press;
        step.button = verb == "rdown" ? 3 : 1;
        if (!readPoint() || !readModifiers())
            return false;
    } else if (verb == "up" || verb == "rup") {
        step.kind = ReplayStep::Kind::Release;
        step.button = verb == "rup" ? 3 : 1;
        if (next < words.size() && !isModifier(words[next]) && !readPoint())
            return false;
        if (!readModifiers())
            return false;
    } else if (verb == "wheel") {
        step.kind = ReplayStep::Kind::Wheel;
        const std::string way = next < words.size() ? words[next++] : "";
        if (way != "up" && way != "down") {
            error = "'wheel' needs up or down, then X and Y";
            return false;
        }
        step.button = way == "up" ? 4 : 5;
        if (!readPoint() || !readModifiers())
            return false;
    } else if (verb == "key") {
        step.kind = ReplayStep::Kind::Key;
        if (next >= words.size()) {
            error = "'key' needs a key name (an X keysym name such as Return, Escape or a)";
            return false;
        }
        step.text = words[next++];
        step.keysym = XStringToKeysym(step.text.c_str());
        if (step.keysym == NoSymbol) {
            error = "unknown key name '" + step.text + "' (X keysym names: Return, Escape, BackSpace, a, ...)";
            return false;
        }
        if (!readModifiers())
            return false;
    } else if (verb == "type") {
        step.kind = ReplayStep::Kind::Type;
        // Everything after the one separator that ends the verb, spaces included.
        size_t at = line.find(verb) + verb.size() + 1;
        step.text = at < line.size() ? line.substr(at) : "";
        if (!step.text.empty() && step.text.back() == '\r')
            step.text.pop_back();
        if (step.text.empty()) {
            error = "'type' needs the text to type";
            return false;
        }
        for (unsigned char c : step.text)
            if (c < 0x20 || c > 0x7e) {
                error = "'type' takes printable ASCII characters only (use 'key' for others)";
                return false;
            }
    } else if (verb == "wait") {
        step.kind = ReplayStep::Kind::Wait;
        if (words.size() != 2 || !readWhole(words[1], 0, kMaxWaitMs, step.milliseconds)) {
            error = "'wait' needs one number of milliseconds, 0 to " + std::to_string(kMaxWaitMs);
            return false;
        }
    } else if (verb == "page" || verb == "lost") {
        error = "'" + verb + "' is a headless snapshot event; in a window, click the page tab or release the button";
        return false;
    } else {
        error = "unknown event '" + verb + "' (down, up, rdown, rup, move, wheel, key, type, wait)";
        return false;
    }
    isStep = true;
    return true;
}

bool readReplayFile(const std::string& path, std::vector<ReplayStep>& steps, std::string& error) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!kx::readFileCapped(path.c_str(), kMaxReplayFileBytes, bytes, why)) {
        error = path + ": " + why;
        return false;
    }
    steps.clear();
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        ReplayStep step;
        bool isStep = false;
        if (!parseReplayLine(line, step, isStep, why)) {
            error = path + ":" + std::to_string(n) + ": " + why;
            return false;
        }
        if (isStep) {
            step.line = n;
            steps.push_back(step);
        }
    }
    return true;
}

}  // namespace kelvox2
