#include "cursor_image.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

namespace kx::testing {

std::vector<unsigned long> cursorImage(Display* display) {
    std::vector<unsigned long> out;
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image)
        return out;
    out.assign(image->pixels, image->pixels + size_t(image->width) * size_t(image->height));
    out.push_back(image->width);
    out.push_back(image->height);
    XFree(image);
    return out;
}

std::vector<unsigned long> fontCursorImage(Display* display, unsigned shape) {
    Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 1200, 1000, 20, 20, 0, 0, 0);
    Cursor cursor = XCreateFontCursor(display, shape);
    XDefineCursor(display, probe, cursor);
    XMapWindow(display, probe);
    XSync(display, False);
    XTestFakeMotionEvent(display, -1, 1210, 1010, CurrentTime);
    XSync(display, False);
    std::vector<unsigned long> image = cursorImage(display);
    XDestroyWindow(display, probe);
    XFreeCursor(display, cursor);
    XSync(display, False);
    return image;
}

}  // namespace kx::testing
