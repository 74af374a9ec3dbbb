// What the skin needs of the window that shows it. The editor window
// implements this; tests and the headless snapshot use their own.
#pragma once

namespace kx {

class KFontResource;

class KSkinWindow {
public:
    virtual ~KSkinWindow() = default;
    // False once the platform window is gone; the skin then forgets it.
    virtual bool isLive() const = 0;
    // Ask for a paint of the whole window, without erasing.
    virtual void invalidate() = 0;
    // Open the one-line text box over a value read-out (canvas coordinates).
    virtual void openTextEntry(int x, int y, int w, int h, const KFontResource* font, int paramIndex) {
        (void)x, (void)y, (void)w, (void)h, (void)font, (void)paramIndex;
    }
    // Open a link target with the system's opener (a link control was pressed).
    virtual void openLink(const char* target) { (void)target; }
};

}  // namespace kx
