// What a skin's author is told about the script: lines passed over and lines
// that apply but cannot be what was meant. The parser, the factories and the
// checks never report anything themselves; they hand their findings to a
// KSkinDiagnostics when one listens (the tool's skin checker does).
#pragma once

#include <cstdint>
#include <string>

namespace kx {

class KTokenizer;

class KSkinDiagnostics {
public:
    virtual ~KSkinDiagnostics() = default;
    // line: the ordinal of the line as the line reader delivered it (1-based;
    // runs of line ends count once); text: its words, re-joined.
    virtual void lineIgnored(int line, const char* text, const char* reason) = 0;
    // The line applied, but something in it cannot be what its author meant.
    virtual void lineWarning(int /*line*/, const char* /*text*/, const char* /*warning*/) {}
    // The whole script was rejected.
    virtual void skinRejected(const char* reason) = 0;
};

// What an argument of a script line holds, as far as telling a misplaced word
// goes: a number, the name of something the skin or effect declares, or free
// text (labels, links, file names), which any word can be.
enum class KArgKind { Integer, Number, Name, Text };

struct KArgSlot {
    const char* what;  // as the author knows it: "width", "highlight colour"
    KArgKind kind;
};

// Whether the whole word reads as a number of the kind (an integer as strtol
// reads it, a real as the script reads it, "Inf" and "-Inf" included).
bool isWholeInteger(const char* word);
bool isWholeNumber(const char* word);

// Why a line that is short of arguments makes nothing, naming the real fault:
// "Init takes width, height and page count; the page count is missing", or,
// when a word sits where another kind belongs, "...; the radius is missing
// ('dotcol' stands in its place)". The line's arguments start at word `first`.
std::string describeMissingArguments(const char* owner, const KArgSlot* slots, int slotCount, const KTokenizer& tokens,
                                     int first);

// Empty when `word` is a whole integer within 32 bits; else what the script
// makes of it: "'abc' is not a number: the x reads as 0".
std::string integerWordWarning(const char* word, const char* what, int32_t readAs);
// Likewise for a real: "'11px' is not a number: the radius reads as 11".
std::string numberWordWarning(const char* word, const char* what, double readAs);

// Empty when a picture of width x height holds exactly `count` frames of
// frameWidth x frameHeight; else what goes wrong when it is drawn.
std::string describeImageFit(int width, int height, int frameWidth, int frameHeight, int count);

}  // namespace kx
