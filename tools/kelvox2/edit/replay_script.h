// The events file of `kelvox2 edit --events`: pointer lines as `snapshot
// --events` reads them, plus keys, typed text and pauses. Coordinates are
// editor pixels; the file is read whole before anything is played.
#pragma once

#include <string>
#include <vector>

namespace kelvox2 {

enum ReplayModifier : unsigned { kReplayShift = 1, kReplayCtrl = 2, kReplayAlt = 4 };

struct ReplayStep {
    enum class Kind { Press, Release, Move, Key, Type, Wait, Wheel };
    Kind kind = Kind::Wait;
    int button = 1;         // Press/Release: 1 left, 3 right; Wheel: 4 up, 5 down
    bool hasPoint = false;  // Release may leave the pointer where it is
    int x = 0;
    int y = 0;
    unsigned modifiers = 0;    // ReplayModifier bits held during the step
    unsigned long keysym = 0;  // Key
    std::string text;          // Key: its name as written; Type: the characters
    int milliseconds = 0;      // Wait
    int line = 0;              // 1-based, for messages
};

// The accepted lines, for --help.
extern const char* const kReplayHelp;

// One line; blank lines and lines starting with # give no step (`isStep`
// false). False with a reason for a line that is none of the forms.
bool parseReplayLine(const std::string& line, ReplayStep& step, bool& isStep, std::string& error);

// Every step of the file. False with "FILE:LINE: reason" (or why the file
// can't be read) in `error`.
bool readReplayFile(const std::string& path, std::vector<ReplayStep>& steps, std::string& error);

}  // namespace kelvox2
