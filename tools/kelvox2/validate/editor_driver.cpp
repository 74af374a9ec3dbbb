#include "kelvox2/validate/editor_driver.h"

#include "x11-harness/pixels.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace kx::validate {

EditorDriver::~EditorDriver() {
    if (open_)
        close();
    parent_.close();
}

bool EditorDriver::rect(int* width, int* height) {
    Check& check = instance_.check();
    // The plug-in stores a pointer: eight bytes, then the guard.
    std::vector<unsigned char> slot(sizeof(ERect*) + kTextGuard, 0xA5);
    std::memset(slot.data(), 0, sizeof(ERect*));
    const VstIntPtr answer = instance_.dispatch(effEditGetRect, 0, 0, slot.data());
    for (std::size_t i = sizeof(ERect*); i < slot.size(); ++i)
        if (slot[i] != 0xA5) {
            check.fail("struct-effEditGetRect", "effEditGetRect wrote past the pointer it hands back");
            break;
        }
    ERect* r = nullptr;
    std::memcpy(&r, slot.data(), sizeof r);
    if (!answer || !r) {
        check.fail("rect", "effEditGetRect gave no rectangle (answer %lld)", static_cast<long long>(answer));
        return false;
    }
    const int w = r->right - r->left, h = r->bottom - r->top;
    if (w < 1 || h < 1 || w > 16384 || h > 16384) {
        check.fail("rect", "effEditGetRect gave %d x %d (top %d, left %d, bottom %d, right %d)", w, h, r->top, r->left,
                   r->bottom, r->right);
        return false;
    }
    *width = w;
    *height = h;
    return true;
}

bool EditorDriver::open(int x, int y, bool passDisplay) {
    Check& check = instance_.check();
    int w = 0, h = 0;
    if (!rect(&w, &h))
        return false;
    x11::HostWindowOptions place;
    place.x = x;
    place.y = y;
    place.title = "kelvox2 validate";
    std::string error;
    if (!parent_.openOn(x_.display(), w, h, place, &error)) {
        check.fail("parent", "%s", error.c_str());
        return false;
    }
    width_ = w;
    height_ = h;
    const VstIntPtr value = passDisplay ? reinterpret_cast<VstIntPtr>(x_.display()) : 0;
    const VstIntPtr answer = instance_.dispatch(effEditOpen, 0, value, parent_.parent());
    ++opens_;
    if (!answer) {
        check.fail("open", "effEditOpen answered 0 (open number %d)", opens_);
        return false;
    }
    open_ = true;
    // The rectangle after opening is the window's final size.
    int w2 = 0, h2 = 0;
    if (rect(&w2, &h2) && (w2 != w || h2 != h)) {
        width_ = w2;
        height_ = h2;
    }
    idle(3);
    const std::vector<Window> children = x11::childWindows(x_.display(), parent_.window());
    if (children.empty()) {
        check.fail("no-child", "no child window in the host's window after effEditOpen and three idles");
    } else {
        int cw = 0, ch = 0;
        if (x11::windowSize(x_.display(), children.front(), &cw, &ch) && (cw != width_ || ch != height_))
            check.fail("child-size", "the editor's window is %d x %d; its rectangle says %d x %d", cw, ch, width_,
                       height_);
    }
    return true;
}

void EditorDriver::idle(int times, int pauseMs) {
    for (int i = 0; i < times; ++i) {
        instance_.dispatch(effEditIdle);
        instance_.check().beat();
        if (pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
}

void EditorDriver::close() {
    instance_.dispatch(effEditClose);
    open_ = false;
    if (parent_.window() && !x11::childWindows(x_.display(), parent_.window()).empty())
        instance_.check().fail("child-left", "the editor's window is still in the host's window after effEditClose");
}

void EditorDriver::destroyParentFirst() {
    parent_.close();
    instance_.dispatch(effEditClose);
    open_ = false;
}

bool EditorDriver::showsSomething() const {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!x11::windowSize(x_.display(), parent_.window(), &w, &h) || w <= 0 || h <= 0 ||
        !x11::readPixels(x_.display(), parent_.window(), w, h, pixels))
        return false;
    for (int y = 0; y < h; y += 3)
        for (int x = 0; x < w; x += 3)
            if (pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] != pixels[0])
                return true;
    return false;
}

}  // namespace kx::validate
