#include <spawn.h>
#include <sys/wait.h>

#include "controls/link_target.h"
#include "editor/link_launcher.h"

extern char** environ;

namespace kx {

namespace {

// Openers started and not yet reaped. xdg-open may wait for the browser it
// starts, so the UI thread never blocks on it: earlier children are reaped
// (only ours, never the host's) when the next link opens.
constexpr int kMaxPending = 16;
pid_t gPending[kMaxPending];

void reapFinished() {
    for (pid_t& pid : gPending)
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) != 0)
            pid = 0;
}

}  // namespace

bool systemLinkLauncher(const char* target) {
    if (!isOpenableLink(target))
        return false;
    reapFinished();
    char program[] = "xdg-open";
    char* argv[] = {program, const_cast<char*>(target), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return false;
    for (pid_t& slot : gPending)
        if (slot <= 0) {
            slot = pid;
            break;
        }
    return true;
}

}  // namespace kx
