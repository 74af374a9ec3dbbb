#include "params/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kx {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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
    int d = decimals < 0 ? 0 : decimals > 20 ? 20 : decimals;
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", d);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, static_cast<size_t>(size), format, value);
#pragma GCC diagnostic pop
}

double readNumber(const char* text) {
    if (!text)
        return 0.0;
    if (equalsIgnoringCase(text, "-Inf"))
        return -INFINITY;
    if (equalsIgnoringCase(text, "Inf"))
        return INFINITY;
    return std::atof(text);
}

}  // namespace kx
