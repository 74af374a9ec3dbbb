// The skin checker's report: a script parsed as the instrument parses it,
// with every line the parser passes over or cannot mean as written. Shared
// by check-skin and by edit, which reports each skin it reloads.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kelvox2 {

struct SkinCheck {
    // 0: every line applies as written; 1: lines were ignored or look wrong;
    // 2: the skin is rejected, or the file is unreadable or not text.
    int status = 2;
    // Why the file could not be checked at all (status 2, nothing printed).
    std::string unreadable;
    // The images the skin declares, by name; and the lines it ignored, as
    // "LINE: TEXT" with the reason, for telling what a change lost.
    std::vector<std::string> images;
    struct Ignored {
        std::string where;
        std::string reason;
    };
    std::vector<Ignored> ignored;
};

// Empty for text; else why the bytes are no skin script to read: zero
// bytes, or mostly control characters.
std::string describeNonText(const unsigned char* bytes, size_t length);

// Checks the script at `path` (PngFile images beside it) and prints the
// report and the summary line to `out`; prints nothing when the file cannot
// be read or is not text.
SkinCheck checkSkinFile(const char* path, FILE* out);

// What a new check lost against an earlier one: for each image no longer
// declared, the lines that no longer make their control for want of it.
std::vector<std::string> describeLostImages(const SkinCheck& before, const SkinCheck& after);

}  // namespace kelvox2
