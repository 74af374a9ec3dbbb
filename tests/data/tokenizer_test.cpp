#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data/byte_source.h"
#include "data/tokenizer.h"

namespace kx {
namespace {

using Words = std::vector<std::string>;

Words wordsOf(const KTokenizer& t) {
    Words words;
    for (int i = 0; i < t.wordCount(); ++i)
        words.emplace_back(t.getWord(i));
    return words;
}

// Every line the tokenizer gives for `text`, as its words.
std::vector<Words> linesOf(const std::string& text) {
    KMemorySource source(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    KTokenizer t(&source);
    std::vector<Words> lines;
    while (t.nextLine())
        lines.push_back(wordsOf(t));
    return lines;
}

Words wordsOfLine(const std::string& line) {
    KTokenizer t(nullptr);
    t.setLine(line.c_str());
    return wordsOf(t);
}

TEST(LineReader, AllLineEndsWorkAndRunsOfThemAreSkipped) {
    EXPECT_EQ(linesOf("a b\r\n\r\nc"), (std::vector<Words>{{"a", "b"}, {"c"}}));
    EXPECT_EQ(linesOf("a\nb\rc\r\nd\n\r\n\n"), (std::vector<Words>{{"a"}, {"b"}, {"c"}, {"d"}}));
    EXPECT_EQ(linesOf("last line without end"), (std::vector<Words>{{"last", "line", "without", "end"}}));
    EXPECT_TRUE(linesOf("").empty());
}

TEST(LineReader, LinesWithoutWordsComeBackEmpty) {
    // A leading line end gives one empty line; blanks and comments give none.
    EXPECT_EQ(linesOf("\r\nx"), (std::vector<Words>{{}, {"x"}}));
    EXPECT_EQ(linesOf(" \t \n# comment\nx"), (std::vector<Words>{{}, {}, {"x"}}));
}

TEST(LineReader, NoSourceOrAClosedSourceGivesNoLines) {
    KTokenizer none(nullptr);
    EXPECT_FALSE(none.nextLine());
    EXPECT_EQ(none.wordCount(), 0);
    KMemorySource missing("no such file");
    KTokenizer closed(&missing);
    EXPECT_FALSE(closed.nextLine());
}

TEST(LineReader, LongLinesAreCutAt254AndContinueOnTheNextLine) {
    const std::string word254(254, 'a');
    auto lines = linesOf(word254 + "\n" + word254 + "bc\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], Words{word254});
    EXPECT_EQ(lines[1], Words{word254});
    EXPECT_EQ(lines[2], Words{"bc"});

    // A cut that falls across the reader's 2048-byte refill boundary.
    const std::string big(3000, 'q');
    lines = linesOf(big);
    ASSERT_EQ(lines.size(), 12u);  // 11 × 254 + 206
    std::size_t total = 0;
    for (const Words& line : lines) {
        ASSERT_EQ(line.size(), 1u);
        total += line[0].size();
    }
    EXPECT_EQ(total, 3000u);
    EXPECT_EQ(lines.back()[0].size(), 3000u - 11 * 254);
}

TEST(LineReader, LineEndsAcrossRefillsAndZeroBytes) {
    // CR at the last byte of one buffer fill, LF at the first of the next.
    std::string text(2047, 'x');
    text += "\r\nnext";
    auto lines = linesOf(text);
    ASSERT_EQ(lines.size(), 10u);  // 8 × 254 + 15, then "next"
    EXPECT_EQ(lines.back(), Words{"next"});

    // A zero byte ends the line for the tokenizer; the rest is not a line.
    text = std::string("ab\0cd\nef", 8);
    EXPECT_EQ(linesOf(text), (std::vector<Words>{{"ab"}, {"ef"}}));
}

TEST(LineReader, BufferTooSmallForACharacterReadsNothing) {
    const std::string text = "abc\n";
    KMemorySource source(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    KLineReader reader(&source);
    char small[3] = {'x', 'x', 'x'};
    EXPECT_FALSE(reader.readLine(small, 2));
    EXPECT_EQ(small[0], 'x');
    EXPECT_FALSE(reader.readLine(nullptr, 10));
    ASSERT_TRUE(reader.readLine(small, 3));  // one character per line
    EXPECT_EQ(std::string(small), "a");
    EXPECT_EQ(small[2], '\0');
}

TEST(Tokenizer, ScriptExamplesSplitAsDocumented) {
    const Words control = wordsOfLine("AddControl 1 320 35 40 40 KPotDot \"PtchBend\" dialhl 11 dotcol");
    ASSERT_EQ(control.size(), 11u);
    EXPECT_EQ(control[7], "PtchBend");
    EXPECT_EQ(wordsOfLine("AddResource bgimg PngResource \"Kelvox2.png\" 665 395 2").size(), 7u);
    EXPECT_TRUE(wordsOfLine("# AddControl 1 2 3").empty());
    EXPECT_TRUE(wordsOfLine(" \t  \t").empty());
    EXPECT_EQ(wordsOfLine("\tInit\t665  395 2 "), (Words{"Init", "665", "395", "2"}));
}

TEST(Tokenizer, QuotesGroupBlanksButHaveNoEscapes) {
    EXPECT_EQ(wordsOfLine("PRESET \"\""), (Words{"PRESET", ""}));
    EXPECT_EQ(wordsOfLine("PRESET \"Warm Pad\" x"), (Words{"PRESET", "Warm Pad", "x"}));
    // Unclosed quote runs to the end of the line.
    EXPECT_EQ(wordsOfLine("a \"b c"), (Words{"a", "b c"}));
    EXPECT_EQ(wordsOfLine("a \""), (Words{"a", ""}));
    // Letters right after a closing quote form the next word.
    EXPECT_EQ(wordsOfLine("\"ab\"cd \"e\"\"f\""), (Words{"ab", "cd", "e", "f"}));
    // A quote inside a word is an ordinary character, and so is a backslash.
    EXPECT_EQ(wordsOfLine("ab\"c d\" C:\\x\\\"y"), (Words{"ab\"c", "d\"", "C:\\x\\\"y"}));
    // Variables are left for the readers.
    EXPECT_EQ(wordsOfLine("KLabel \"${Vendor} v\""), (Words{"KLabel", "${Vendor} v"}));
}

TEST(Tokenizer, HashStartsACommentEvenInsideQuotes) {
    EXPECT_EQ(wordsOfLine("SETSTR Wave1 \"Square # x\""), (Words{"SETSTR", "Wave1", "Square "}));
    EXPECT_EQ(wordsOfLine("Init 1 2# 3"), (Words{"Init", "1", "2"}));
}

// What a checker tells an author; the words stay as above.
TEST(Tokenizer, TellsWhatBecameOfTheLinesQuotesAndLength) {
    KTokenizer t(nullptr);
    t.setLine("KLabel Left \"Track #1\" font 0");
    EXPECT_TRUE(t.commentCutQuote());
    EXPECT_FALSE(t.quoteUnclosed());
    EXPECT_EQ(wordsOf(t), (Words{"KLabel", "Left", "Track "}));
    t.setLine("KLabel Left \"Hello font 0");
    EXPECT_FALSE(t.commentCutQuote());
    EXPECT_TRUE(t.quoteUnclosed());
    for (const char* fine : {"KLabel Left \"a\" font 0 # \"note", "# \"x", "a\"b # c", "\"\"", "x \"y\"z"}) {
        t.setLine(fine);
        EXPECT_FALSE(t.commentCutQuote() || t.quoteUnclosed()) << fine;
    }

    const std::string text = std::string(254, 'a') + "b\n" + std::string(254, 'c') + "\nd";
    KMemorySource source(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    KTokenizer lines(&source);
    std::vector<bool> cut;
    while (lines.nextLine())
        cut.push_back(lines.lineWasCut());
    // A line of exactly 254 characters is whole.
    EXPECT_EQ(cut, (std::vector<bool>{true, false, false, false}));
}

TEST(Tokenizer, WordsBeyondTheThirtySecondAreDropped) {
    std::string line;
    for (int i = 0; i < 127; ++i) {
        if (i > 0)
            line.push_back(' ');
        line.push_back(static_cast<char>('a' + i % 26));
    }
    KTokenizer t(nullptr);
    t.setLine(line.c_str());
    ASSERT_EQ(t.wordCount(), KTokenizer::kMaxWords);
    EXPECT_STREQ(t.getWord(31), "f");  // 'a' + 31 % 26
    EXPECT_EQ(t.getWord(32), nullptr);

    // A quoted 32nd word is still terminated at its closing quote.
    line.clear();
    for (int i = 0; i < 31; ++i)
        line += "w ";
    line += "\"last one\" more words";
    t.setLine(line.c_str());
    ASSERT_EQ(t.wordCount(), 32);
    EXPECT_STREQ(t.getWord(31), "last one");
}

TEST(Tokenizer, WordAccessIsBoundedAndIgnoresCaseWhereDocumented) {
    KTokenizer t(nullptr);
    t.setLine("SetStr mainlvl -6.5dB");
    EXPECT_TRUE(t.wordIs(0, "SETSTR"));
    EXPECT_TRUE(t.wordIs(1, "MainLvl"));
    EXPECT_FALSE(t.wordIs(1, "MainLv"));
    EXPECT_FALSE(t.wordIs(-1, "SetStr"));
    EXPECT_FALSE(t.wordIs(3, "SetStr"));
    EXPECT_FALSE(t.wordIs(0, nullptr));
    EXPECT_EQ(t.getWord(-1), nullptr);
    EXPECT_EQ(t.getWord(3), nullptr);
    EXPECT_EQ(t.getWord(1000), nullptr);
    EXPECT_EQ(t.wordAsNumber(2), -6.5);
    EXPECT_EQ(t.wordAsNumber(3), 0.0);
    EXPECT_EQ(t.wordAsInteger(2), -6);
    EXPECT_EQ(t.wordAsInteger(-1), 0);
}

TEST(Tokenizer, NumberWords) {
    KTokenizer t(nullptr);
    t.setLine("inf -INF Infinity  12.5abc abc 0x10 +7 99999999999 -99999999999 1e3");
    EXPECT_EQ(t.wordAsNumber(0), INFINITY);
    EXPECT_EQ(t.wordAsNumber(1), -INFINITY);
    EXPECT_EQ(t.wordAsNumber(2), INFINITY);  // read as the C library reads it
    EXPECT_EQ(t.wordAsNumber(3), 12.5);
    EXPECT_EQ(t.wordAsNumber(4), 0.0);
    EXPECT_EQ(t.wordAsInteger(3), 12);
    EXPECT_EQ(t.wordAsInteger(4), 0);
    EXPECT_EQ(t.wordAsInteger(5), 0);  // base 10 only
    EXPECT_EQ(t.wordAsInteger(6), 7);
    EXPECT_EQ(t.wordAsInteger(7), 2147483647);  // saturates like a 32-bit long
    EXPECT_EQ(t.wordAsInteger(8), -2147483647 - 1);
    EXPECT_EQ(t.wordAsNumber(9), 1000.0);
    EXPECT_EQ(t.wordAsInteger(0), 0);
}

TEST(Tokenizer, CursorStartsAtZeroOnEveryLineAndTakesWordsInOrder) {
    const std::string text = "a b c\nd e\n";
    KMemorySource source(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    KTokenizer t(&source);
    ASSERT_TRUE(t.nextLine());
    EXPECT_STREQ(t.takeWord(), "a");
    t.skipWords(1);
    EXPECT_EQ(t.wordsLeft(), 1);
    EXPECT_STREQ(t.takeWord(), "c");
    EXPECT_EQ(t.takeWord(), nullptr);  // absent, not past the table
    EXPECT_EQ(t.wordsLeft(), 0);
    ASSERT_TRUE(t.nextLine());
    EXPECT_EQ(t.cursor(), 0);
    EXPECT_STREQ(t.takeWord(), "d");
    EXPECT_FALSE(t.nextLine());
    EXPECT_EQ(t.wordCount(), 0);
}

}  // namespace
}  // namespace kx
