#include "editor/link_launcher.h"

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
    gLauncher(target ? target : "");
    return false;
}

}  // namespace kx
