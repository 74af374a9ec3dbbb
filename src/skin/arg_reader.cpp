#include "skin/arg_reader.h"

#include "data/tokenizer.h"
#include "skin/skin.h"

namespace kx {

KArgReader::KArgReader(KTokenizer& tokens, const KSkin& skin, bool listening)
    : tokens_(tokens), skin_(skin), listening_(listening), first_(tokens.cursor()) {}

void KArgReader::failWith(const std::string& reason) {
    if (failure_.empty())
        failure_ = reason;
}

void KArgReader::warn(const std::string& warning) {
    if (listening_ && !warning.empty())
        warnings_.push_back(warning);
}

std::string KArgReader::reason() const {
    if (missing_)
        return describeMissingArguments(owner_, slots_, slotCount_, tokens_, first_);
    std::string s = failure_;
    for (size_t i = 0; i < warnings_.size(); ++i)
        s += (i ? "; " : " (") + warnings_[i] + (i + 1 == warnings_.size() ? ")" : "");
    return s;
}

const char* KArgReader::take(const char* what, KArgKind kind) {
    if (slotCount_ < kMaxSlots)
        slots_[slotCount_++] = KArgSlot{what, kind};
    const char* word = tokens_.takeWord();
    if (!word)
        missing_ = true;
    return word;
}

template <typename T>
T KArgReader::found(T value, const char* kind, const char* word) {
    if (!value && word)
        failWith(std::string("no ") + kind + " named '" + word + "'");
    return value;
}

const char* KArgReader::text(const char* what) { return take(what, KArgKind::Text); }

int32_t KArgReader::integer(const char* what) {
    const char* word = take(what, KArgKind::Integer);
    int32_t value = tokens_.wordAsInteger(tokens_.cursor() - 1);
    if (listening_)
        warn(integerWordWarning(word, what, value));
    return value;
}

double KArgReader::number(const char* what) {
    const char* word = take(what, KArgKind::Number);
    double value = tokens_.wordAsNumber(tokens_.cursor() - 1);
    if (listening_)
        warn(numberWordWarning(word, what, value));
    return value;
}

int KArgReader::param(const char* what) {
    const char* word = take(what, KArgKind::Name);
    int index = skin_.findParameter(word);
    if (index < 0 && word)
        failWith(std::string("no parameter named '") + word + "'");
    return index;
}

int KArgReader::command(const char* what) {
    const char* word = take(what, KArgKind::Name);
    int number = skin_.findCommand(word);
    if (number < 0 && word)
        failWith(std::string("no command named '") + word + "'");
    return number;
}

const KColourResource* KArgReader::colour(const char* what) {
    const char* word = take(what, KArgKind::Name);
    return found(skin_.findColour(word), "colour", word);
}

const KImageResource* KArgReader::image(const char* what) {
    const char* word = take(what, KArgKind::Name);
    return found(skin_.findImage(word), "image", word);
}

const KFontResource* KArgReader::font(const char* what) {
    const char* word = take(what, KArgKind::Name);
    return found(skin_.findFont(word), "font", word);
}

const KDisplayValue* KArgReader::real(const char* what) {
    const char* word = take(what, KArgKind::Name);
    return found(skin_.findReal(word), "real value", word);
}

const KDisplayValue* KArgReader::integerValue(const char* what) {
    const char* word = take(what, KArgKind::Name);
    return found(skin_.findInteger(word), "integer value", word);
}

const KDisplayValue* KArgReader::history(const char* what) {
    const char* word = take(what, KArgKind::Name);
    return found(skin_.findHistory(word), "history", word);
}

const KDisplayValue* KArgReader::optionalReal(const char* what) { return skin_.findReal(take(what, KArgKind::Name)); }

const char* KArgReader::optionalText() { return tokens_.takeWord(); }

}  // namespace kx
