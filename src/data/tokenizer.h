#pragma once
// Splits script and preset lines into words. Blanks and tabs separate words,
// a double-quoted word may hold blanks, and "#" starts a comment everywhere
// (inside quotes too). There are no escape characters.

#include <array>
#include <cstddef>
#include <cstdint>

#include "data/line_reader.h"

namespace kx {

class KTokenizer {
public:
    static constexpr std::size_t kLineSize = 256;  // lines are cut at 254 characters
    static constexpr int kMaxWords = 32;           // later words of a line are dropped

    // `source` is not owned and may be null (then there are no lines).
    explicit KTokenizer(KByteSource* source);
    KTokenizer(const KTokenizer&) = delete;
    KTokenizer& operator=(const KTokenizer&) = delete;

    // Reads and splits the next line; false at the end of the data. Lines
    // without words (blank, comment only) come back with a word count of 0.
    bool nextLine();
    // Splits the current line into words; `nextLine` and `setLine` call it.
    void tokenize();
    // Replaces the current line (cut to 254 characters, like a read line) and
    // splits it, without reading; for text that comes from elsewhere.
    void setLine(const char* text);

    int wordCount() const { return wordCount_; }

    // What became of the current line's quotes and length, for telling a
    // script's author why a line reads as it does. Nothing here changes how
    // the line is split.
    // A '#' inside a quoted word cut the line there (it starts a comment
    // everywhere).
    bool commentCutQuote() const { return commentCutQuote_; }
    // A quoted word had no closing quote and ran to the end of the line.
    bool quoteUnclosed() const { return quoteUnclosed_; }
    // The line was longer than the reader takes; its rest is the next line.
    bool lineWasCut() const { return lineWasCut_; }
    // The word at `index`, or null when there is none (outside 0..count-1).
    const char* getWord(int index) const;
    // Whether the word at `index` exists and equals `text` ignoring letter case.
    bool wordIs(int index, const char* text) const;
    // The word read as a number: "-Inf" and "Inf" in any letter case give the
    // infinities, anything else is read as atof reads it (0 for no word).
    double wordAsNumber(int index) const;
    // The word read as strtol reads it in base 10, limited to 32 bits (0 for
    // no word or no digits).
    std::int32_t wordAsInteger(int index) const;

    // The next word a reader will take; 0 for every new line. Readers advance
    // it themselves as they consume words.
    int cursor() const { return cursor_; }
    void setCursor(int cursor) { cursor_ = cursor; }
    void skipWords(int count) { cursor_ += count; }
    // The word at the cursor (null when absent), then advances the cursor.
    const char* takeWord() { return getWord(cursor_++); }
    // Words left from the cursor to the end of the line.
    int wordsLeft() const { return cursor_ >= 0 && cursor_ < wordCount_ ? wordCount_ - cursor_ : 0; }

private:
    void clearWords();

    KLineReader reader_;
    std::array<char, kLineSize> line_{};
    std::array<const char*, kMaxWords> words_{};
    int wordCount_ = 0;
    int cursor_ = 0;
    bool commentCutQuote_ = false;
    bool quoteUnclosed_ = false;
    bool lineWasCut_ = false;
};

}  // namespace kx
