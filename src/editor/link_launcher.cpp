#include "editor/link_launcher.h"

#include "controls/link_target.h"

namespace kx {

namespace {

// Process-wide like the shell it stands for; set only by tests.
KLinkLauncher gLauncher = systemLinkLauncher;

}  // namespace

KLinkLauncher setLinkLauncher(KLinkLauncher launcher) {
    KLinkLauncher old = gLauncher;
    gLauncher = launcher ? launcher : systemLinkLauncher;
    return old;
}

bool openLink(const char* target) {
    if (isOpenableLink(target))
        gLauncher(target);
    return false;
}

}  // namespace kx
