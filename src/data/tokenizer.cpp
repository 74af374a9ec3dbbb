#include "data/tokenizer.h"

#include "params/number_text.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace kx {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

KTokenizer::KTokenizer(KByteSource* source) : reader_(source) {}

void KTokenizer::clearWords() {
    words_.fill(nullptr);
    wordCount_ = 0;
    cursor_ = 0;
}

bool KTokenizer::nextLine() {
    line_.fill('\0');
    clearWords();
    if (!reader_.readLine(line_.data(), line_.size())) {
        lineWasCut_ = false;
        return false;
    }
    lineWasCut_ = reader_.lineWasCut();
    tokenize();
    return true;
}

void KTokenizer::setLine(const char* text) {
    line_.fill('\0');
    if (text != nullptr) {
        const std::size_t length = strnlen(text, line_.size() - 2);
        std::memcpy(line_.data(), text, length);
    }
    lineWasCut_ = false;
    tokenize();
}

void KTokenizer::tokenize() {
    clearWords();
    char* p = line_.data();
    // The line always ends inside the array: it holds at most 254 characters.
    line_.back() = '\0';
    char* comment = std::strchr(p, '#');
    if (comment)
        *comment = '\0';
    commentCutQuote_ = false;
    quoteUnclosed_ = false;

    while (*p != '\0' && wordCount_ < kMaxWords) {
        while (isBlank(*p))
            ++p;
        if (*p == '"') {
            char* word = ++p;
            while (*p != '\0' && *p != '"')
                ++p;
            if (*p == '"')
                *p++ = '\0';
            else if (p == comment)
                commentCutQuote_ = true;
            else
                quoteUnclosed_ = true;
            words_[wordCount_++] = word;
            continue;
        }
        if (*p == '\0')
            break;
        char* word = p;
        while (*p != '\0' && !isBlank(*p))
            ++p;
        if (*p != '\0')
            *p++ = '\0';
        words_[wordCount_++] = word;
    }
    cursor_ = 0;
}

const char* KTokenizer::getWord(int index) const {
    return index >= 0 && index < wordCount_ ? words_[static_cast<std::size_t>(index)] : nullptr;
}

bool KTokenizer::wordIs(int index, const char* text) const {
    const char* word = getWord(index);
    return word != nullptr && text != nullptr && equalsIgnoringCase(word, text);
}

double KTokenizer::wordAsNumber(int index) const {
    const char* word = getWord(index);
    return word != nullptr ? readNumber(word) : 0.0;
}

std::int32_t KTokenizer::wordAsInteger(int index) const {
    const char* word = getWord(index);
    if (word == nullptr)
        return 0;
    const long value = std::strtol(word, nullptr, 10);
    // Saturate as a 32-bit long does, rather than wrap.
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace kx
