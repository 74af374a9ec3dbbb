#include "params/number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

// Numbers are written and read as the C library does in the "C" locale,
// whatever locale the host has set: hosts often call setlocale(LC_ALL, ""),
// which would otherwise turn "12.50" into "12,50" and read a typed "1.5" as 1.
// std::to_chars and std::from_chars give exactly printf's and strtod's C-locale
// results without touching the process's locale (which is not ours to change)
// and without allocating, so they are also safe on the audio thread.

namespace kx {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The blanks isspace() knows in the C locale.
bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool isDigitOfBase(char c, int base) {
    if (c >= '0' && c <= '9')
        return true;
    char l = lowerAscii(c);
    return base == 16 && l >= 'a' && l <= 'f';
}

// from_chars reports overflow and underflow alike as out of range and leaves
// the value unset; strtod gives infinity for the one and zero for the other.
// A number that far from 1 is above it exactly when its first significant
// digit, shifted by the exponent, stands before the point.
bool magnitudeAboveOne(const char* p, const char* end, int base) {
    long long integerDigits = 0, leadingZeros = 0;
    bool point = false, significant = false;
    for (; p < end; ++p) {
        if (*p == '.' && !point) {
            point = true;
            continue;
        }
        if (!isDigitOfBase(*p, base))
            break;
        significant = significant || *p != '0';
        if (significant && !point)
            ++integerDigits;
        else if (!significant && point)
            ++leadingZeros;
    }
    long long exponent = 0;
    if (p < end && (lowerAscii(*p) == (base == 16 ? 'p' : 'e'))) {
        ++p;
        bool negative = p < end && *p == '-';
        if (p < end && (*p == '-' || *p == '+'))
            ++p;
        for (; p < end && *p >= '0' && *p <= '9'; ++p)
            if (exponent < 1000000000)
                exponent = exponent * 10 + (*p - '0');
        if (negative)
            exponent = -exponent;
    }
    const long long digitScale = base == 16 ? 4 : 1;  // a hex exponent counts bits
    return (integerDigits > 0 ? integerDigits : -leadingZeros) * digitScale + exponent > 0;
}

// from_chars on [p, end) in one base; *stop is p when nothing matched.
double convert(const char* p, const char* end, int base, const char** stop) {
    double value = 0.0;
    const auto format = base == 16 ? std::chars_format::hex : std::chars_format::general;
    const std::from_chars_result r = std::from_chars(p, end, value, format);
    if (r.ptr == p) {
        *stop = p;
        return 0.0;
    }
    *stop = r.ptr;
    if (r.ec == std::errc::result_out_of_range)
        return magnitudeAboveOne(p, r.ptr, base) ? HUGE_VAL : 0.0;
    return value;
}

}  // namespace

void copyText(char* dest, const char* source, int maxChars) {
    if (!dest || maxChars < 0)
        return;
    int n = 0;
    if (source)
        while (n < maxChars && source[n])
            ++n;
    std::memcpy(dest, source ? source : "", static_cast<size_t>(n));
    dest[n] = '\0';
}

bool equalsIgnoringCase(const char* a, const char* b) {
    if (!a || !b)
        return false;
    for (; *a && *b; ++a, ++b)
        if (lowerAscii(*a) != lowerAscii(*b))
            return false;
    return *a == *b;
}

void formatValue(char* text, int size, double value, int decimals) {
    if (!text || size < 1)
        return;
    if (std::isnan(value) || value == -INFINITY) {
        copyText(text, "-Inf", size - 1);
        return;
    }
    if (value == INFINITY) {
        copyText(text, "Inf", size - 1);
        return;
    }
    const int d = decimals < 0 ? 0 : decimals > 20 ? 20 : decimals;
    // The largest double has 309 integer digits; with a sign, a point and 20
    // decimals that is 331 characters.
    char digits[352];
    const std::to_chars_result r =
        std::to_chars(digits, digits + sizeof digits - 1, value, std::chars_format::fixed, d);
    *(r.ec == std::errc() ? r.ptr : digits) = '\0';
    copyText(text, digits, size - 1);
}

double readNumberPrefix(const char* text, const char** end) {
    const char* dummy;
    const char** stop = end ? end : &dummy;
    *stop = text;
    if (!text)
        return 0.0;
    const char* p = text;
    while (isCSpace(*p))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    // from_chars takes a minus of its own; after our sign a second one is no number.
    if (*p == '-')
        return 0.0;
    const char* last = p + std::strlen(p);
    // "0x" followed by a hex digit (or a point and one) is a hex float; otherwise
    // strtod reads the "0" alone, and so does the decimal branch.
    const bool hex =
        p[0] == '0' && lowerAscii(p[1]) == 'x' && (isDigitOfBase(p[2], 16) || (p[2] == '.' && isDigitOfBase(p[3], 16)));
    const char* digits = hex ? p + 2 : p;
    const char* after = digits;
    const double magnitude = convert(digits, last, hex ? 16 : 10, &after);
    if (after == digits)
        return 0.0;
    *stop = after;
    return negative ? -magnitude : magnitude;
}

double readNumber(const char* text) {
    if (!text)
        return 0.0;
    if (equalsIgnoringCase(text, "-Inf"))
        return -INFINITY;
    if (equalsIgnoringCase(text, "Inf"))
        return INFINITY;
    const double value = readNumberPrefix(text, nullptr);
    // A typed "nan" is no number: storing it would reach the engine.
    return std::isnan(value) ? 0.0 : value;
}

}  // namespace kx
