// The one reading of a value a person types, shared by the parameter classes
// (the editor's box, the host's effString2Parameter, the preset text) and the
// command-line tool (which describes a foreign plug-in's parameter by what it
// shows). The reader knows nothing of normalised values: it works on a
// description of how the parameter shows its value.
//
// A text is read, after the blanks around it, as
// - a whole choice name, in any letter case;
// - else, when the parameter takes numbers, a number in C notation ("Inf" and
//   "-Inf" too) followed by nothing, the parameter's unit or a scaled unit of
//   the same kind ("500 ms" for a parameter in s, "-1 semitone" for one in
//   cents); "off" where the lowest value is silence (minus infinity dB);
// - else the one choice name that starts with it, in any letter case.
// Anything else is not read, and the caller keeps the value it has.
//
// Reads without allocating; any thread.
#pragma once

namespace kx {

struct ValueDescription {
    const char* units = "";  // the unit numbers are shown in; empty for none
    bool numeric = false;    // takes numbers
    // Real values at normalised 0 and 1 (either may be the larger; a gain's
    // low end may be minus infinity).
    double low = 0.0, high = 0.0;
    // Named values: a choice's entries, or texts such as "Off" at the end of
    // a range. choice(owner, i) gives name i (0 <= i < choiceCount).
    int choiceCount = 0;
    const void* owner = nullptr;
    const char* (*choice)(const void* owner, int index) = nullptr;
};

struct TypedValue {
    enum Kind { kUnread, kNumber, kChoice, kAmbiguous };
    Kind kind = kUnread;
    // kNumber: in the description's units, not clamped to the range.
    double number = 0.0;
    // kChoice: the index of the choice.
    int choice = -1;
};

// Null reads as unread. kAmbiguous: several choice names start with the text.
TypedValue readTypedValue(const ValueDescription& description, const char* text);

// Whether the text, without the blanks around it, starts the name (ignoring
// letter case) as the reader takes a start: to list what an ambiguous text
// could be.
bool startsName(const char* text, const char* name);

}  // namespace kx
