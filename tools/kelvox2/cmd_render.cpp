#include "subcommands.h"

#include <cstdio>

namespace kelvox2 {

int runRender(int, char** argv) {
    std::fprintf(stderr, "kelvox2 %s: not available in this build yet\n", argv[0]);
    return 2;
}

}  // namespace kelvox2
