#include "skin/skin_diagnostics.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "data/tokenizer.h"
#include "params/number_text.h"

namespace kx {

namespace {

bool fits(const char* word, KArgKind kind) {
    switch (kind) {
    case KArgKind::Integer: return isWholeInteger(word);
    case KArgKind::Number: return isWholeNumber(word);
    // A bare number is hardly the name of a colour or a parameter: more
    // likely the value that belongs one place further on.
    case KArgKind::Name: return !isWholeNumber(word);
    case KArgKind::Text: return true;
    }
    return true;
}

// "a", "a and b", "a, b and c"
std::string listOf(const KArgSlot* slots, int from, int to) {
    std::string s;
    for (int i = from; i < to; ++i) {
        if (i > from)
            s += i + 1 == to ? " and " : ", ";
        s += slots[i].what;
    }
    return s;
}

std::string quoted(const char* word) { return std::string("'") + word + "'"; }

}  // namespace

bool isWholeInteger(const char* word) {
    if (!word || !*word)
        return false;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(word, &end, 10);
    return end != word && *end == '\0' && errno != ERANGE && value >= INT32_MIN && value <= INT32_MAX;
}

bool isWholeNumber(const char* word) {
    if (!word || !*word)
        return false;
    if (equalsIgnoringCase(word, "Inf") || equalsIgnoringCase(word, "-Inf"))
        return true;
    // Read as the parser reads numbers, whatever the locale.
    const char* end = word;
    double value = readNumberPrefix(word, &end);
    return end != word && *end == '\0' && !std::isnan(value);
}

std::string describeMissingArguments(const char* owner, const KArgSlot* slots, int slotCount, const KTokenizer& tokens,
                                     int first) {
    std::string s = std::string(owner) + " takes " + listOf(slots, 0, slotCount);
    int words = tokens.wordCount() - first;
    if (words < 0)
        words = 0;
    if (words >= slotCount)
        return s;
    // The first word that can't fill its place most likely belongs to the one
    // after the gap.
    for (int i = 0; i < words; ++i) {
        const char* word = tokens.getWord(first + i);
        if (!fits(word, slots[i].kind))
            return s + "; the " + slots[i].what + " is missing (" + quoted(word) + " stands in its place)";
    }
    return s + "; the " + listOf(slots, words, slotCount) + (slotCount - words == 1 ? " is" : " are") + " missing";
}

std::string integerWordWarning(const char* word, const char* what, int32_t readAs) {
    if (!word || isWholeInteger(word))
        return {};
    const char* fault = " is not a number";
    char* end = nullptr;
    errno = 0;
    std::strtol(word, &end, 10);
    if (end != word && *end == '\0')
        fault = " is out of range";
    else if (isWholeNumber(word))
        fault = " is not a whole number";
    return quoted(word) + fault + ": the " + what + " reads as " + std::to_string(readAs);
}

std::string numberWordWarning(const char* word, const char* what, double readAs) {
    if (!word || isWholeNumber(word))
        return {};
    char shown[40];
    std::snprintf(shown, sizeof shown, "%g", readAs);
    return quoted(word) + " is not a number: the " + what + " reads as " + shown;
}

std::string describeImageFit(int width, int height, int frameWidth, int frameHeight, int count) {
    if (width <= 0 || height <= 0 || frameWidth <= 0 || frameHeight <= 0 || count <= 0)
        return {};
    auto size = [](int w, int h) { return std::to_string(w) + " x " + std::to_string(h); };
    const std::string picture = "the " + size(width, height) + " picture";
    const std::string frameSize = size(frameWidth, frameHeight);
    const long long cells = static_cast<long long>(width / frameWidth) * (height / frameHeight);
    if (cells == 0)
        return picture + " is smaller than one frame of " + frameSize + ": nothing of it is drawn";
    if (cells < count)
        return picture + " holds only " + std::to_string(cells) + " frame" + (cells == 1 ? "" : "s") + " of " +
               frameSize + ", not " + std::to_string(count) + ": nothing of it is drawn";
    const int columnsLeft = width % frameWidth, rowsLeft = height % frameHeight;
    if (columnsLeft || rowsLeft) {
        std::string left;
        if (columnsLeft)
            left = "its last " + std::to_string(columnsLeft) + " columns";
        if (rowsLeft)
            left += (left.empty() ? "its last " : " and ") + std::to_string(rowsLeft) + " rows";
        return picture + " is not a whole number of " + frameSize + " frames: " + left + " are never shown";
    }
    if (cells > count)
        return picture + " holds " + std::to_string(cells) + " frames of " + frameSize + "; only the first " +
               std::to_string(count) + (count == 1 ? " is" : " are") + " used";
    return {};
}

}  // namespace kx
