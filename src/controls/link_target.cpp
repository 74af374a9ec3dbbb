#include "controls/link_target.h"

#include <strings.h>

#include <cstring>

namespace kx {

namespace {

const char* const kSchemes[] = {"http:", "https:", "mailto:"};

}  // namespace

bool isOpenableLink(const char* target) { return linkRefusal(target) == nullptr; }

const char* linkRefusal(const char* target) {
    if (!target || !*target)
        return "the link target is empty: nothing opens";
    for (const char* scheme : kSchemes)
        if (strncasecmp(target, scheme, std::strlen(scheme)) == 0)
            return nullptr;
    return "only http:, https: and mailto: links open (a program, file or share link does nothing)";
}

}  // namespace kx
