// KArgReader: takes a skin line's arguments from the tokenizer's cursor
// onwards, left to right, and resolves the names through the skin. Each read
// names the argument, so that a line short of one, a word where a number
// belongs or a name that resolves to nothing can be told to the skin's
// author. The first fault is kept and every later read still takes its word.
//
// This is how the skin's builders fail: whatever makes something from a
// line (a control, a resource, a check) answers null and leaves its reason
// in the line's reader, for the caller to ask.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/skin_diagnostics.h"

namespace kx {

class KColourResource;
class KDisplayValue;
class KFontResource;
class KImageResource;
class KSkin;
class KTokenizer;

class KArgReader {
public:
    // `listening`: also note words that read as something other than they
    // say (only the skin checker wants to hear about them).
    KArgReader(KTokenizer& tokens, const KSkin& skin, bool listening = false);

    // No argument missing, no name unresolved, no failure recorded.
    bool ok() const { return !missing_ && failure_.empty(); }
    bool missing() const { return missing_; }
    void failWith(const std::string& reason);
    // What the line makes, as the reason names it: "KPotDot", "a Param check".
    void setOwner(const char* owner) { owner_ = owner ? owner : ""; }
    // Why the line makes nothing: the missing argument when one is, else the
    // first failure, with the word warnings that explain it.
    std::string reason() const;
    // Words that read as something other than they say, on a line that applies.
    const std::vector<std::string>& warnings() const { return warnings_; }
    void warn(const std::string& warning);

    // Required arguments (an absent word makes the line short).
    const char* text(const char* what);
    int32_t integer(const char* what);
    double number(const char* what);
    int param(const char* what = "parameter");
    int command(const char* what = "command");
    const KColourResource* colour(const char* what = "colour");
    const KImageResource* image(const char* what = "image");
    const KFontResource* font(const char* what = "font");
    const KDisplayValue* real(const char* what = "real value");
    const KDisplayValue* integerValue(const char* what = "integer value");
    const KDisplayValue* history(const char* what = "history");
    // A value that may be absent from the effect (or "Null"); its word is required.
    const KDisplayValue* optionalReal(const char* what);
    // A trailing word the line may leave out.
    const char* optionalText();

    bool listening() const { return listening_; }

private:
    static constexpr int kMaxSlots = 16;
    const char* take(const char* what, KArgKind kind);
    template <typename T>
    T found(T value, const char* kind, const char* word);

    KTokenizer& tokens_;
    const KSkin& skin_;
    bool listening_;
    const char* owner_ = "";
    int first_;
    KArgSlot slots_[kMaxSlots];
    int slotCount_ = 0;
    bool missing_ = false;
    std::string failure_;
    std::vector<std::string> warnings_;
};

}  // namespace kx
