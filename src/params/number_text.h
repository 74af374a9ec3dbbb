// The framework's one number formatter and its reading of typed numbers.
// Both behave as the C library does in the "C" locale (a point before the
// decimals), whatever locale the host process has set.
#pragma once

namespace kx {

// "-Inf" for minus infinity and not-a-number, "Inf" for plus infinity, else
// a fixed-point number with `decimals` (clamped to 0..20) decimals. The text
// is cut to `size` bytes and always terminated (nothing is written for a
// size below 1).
void formatValue(char* text, int size, double value, int decimals);

// "-Inf" / "Inf" in any letter case give the infinities; anything else is read
// the way atof reads it (0 when there is no number; null reads as 0). "nan"
// is no number either and reads as 0.
double readNumber(const char* text);

// strtod: leading blanks, then the longest prefix that forms a number (decimal
// or hex, "inf", "nan"); 0 with *end = text when there is none. Out-of-range
// numbers give the infinities or 0. `end` may be null.
double readNumberPrefix(const char* text, const char** end);

// Copies at most `maxChars` characters of `source` into `dest` and always
// terminates it (dest must hold maxChars + 1 bytes). A null source gives the
// empty text.
void copyText(char* dest, const char* source, int maxChars);

// Whole-string comparison ignoring ASCII letter case; false when either is null.
bool equalsIgnoringCase(const char* a, const char* b);

}  // namespace kx
