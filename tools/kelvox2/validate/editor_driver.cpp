#include "kelvox2/validate/editor_driver.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace kx::validate {

EditorDriver::~EditorDriver() {
    if (open_)
        close();
    if (parent_)
        x_.destroy(parent_);
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
    if (parent_)
        x_.destroy(parent_);
    parent_ = x_.createParent(x, y, w, h);
    width_ = w;
    height_ = h;
    const VstIntPtr value = passDisplay ? reinterpret_cast<VstIntPtr>(x_.display()) : 0;
    const VstIntPtr answer =
        instance_.dispatch(effEditOpen, 0, value, reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent_)));
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
    const std::vector<XHost::Window> children = x_.children(parent_);
    if (children.empty()) {
        check.fail("no-child", "no child window in the host's window after effEditOpen and three idles");
    } else {
        int cw = 0, ch = 0;
        if (x_.size(children.front(), &cw, &ch) && (cw != width_ || ch != height_))
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
    if (parent_ && !x_.children(parent_).empty())
        instance_.check().fail("child-left", "the editor's window is still in the host's window after effEditClose");
}

void EditorDriver::destroyParentFirst() {
    if (parent_)
        x_.destroy(parent_);
    parent_ = 0;
    instance_.dispatch(effEditClose);
    open_ = false;
}

}  // namespace kx::validate
