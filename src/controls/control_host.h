// KControlHost: what a control asks of the view that shows it. The skin is
// that view; controls see only this, so that they build without it. Editor
// (user-interface) thread only.
#pragma once

#include <cstdint>

namespace kx {

class KCanvas;
class KFontResource;

class KControlHost {
public:
    // A paint of the whole window, soon (every Refresh ends here).
    virtual void RequestRepaint() = 0;
    // The page shown; pages count from 1.
    virtual void SetPage(int page) = 0;
    virtual int GetPage() const = 0;
    // Puts the background back under the canvas's clip window.
    virtual void RestoreBackground(KCanvas& canvas) = 0;
    // Millisecond tick; it wraps.
    virtual uint32_t TickCount() const = 0;
    // The one-line text box over a value read-out, in canvas coordinates.
    virtual void OpenTextEntry(int x, int y, int w, int h, const KFontResource* font, int paramIndex) = 0;
    // The target opened by whatever the system opens links with.
    virtual void OpenLink(const char* target) = 0;

protected:
    // Controls never own their host.
    ~KControlHost() = default;
};

}  // namespace kx
