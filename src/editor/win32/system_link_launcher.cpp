#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "controls/link_target.h"
#include "editor/link_launcher.h"

namespace kx {

bool systemLinkLauncher(const char* target) {
    // The shell would run a program, open a document or reach a share as
    // readily as it opens a web page.
    if (!isOpenableLink(target))
        return false;
    // The shell answers a value above 32 when it could start the opener.
    const HINSTANCE result = ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace kx
