#include "clipboard_owner.h"

#include <X11/Xatom.h>
#include <poll.h>

namespace kx::testing {

ClipboardOwner::ClipboardOwner(std::string text) : text_(std::move(text)) {
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(display_, "CLIPBOARD", False);
    XSetSelectionOwner(display_, clipboard, window_, CurrentTime);
    owns_ = XGetSelectionOwner(display_, clipboard) == window_;
    XSync(display_, False);
    thread_ = std::thread([this] { serve(); });
}

ClipboardOwner::~ClipboardOwner() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (display_)
        XCloseDisplay(display_);
}

void ClipboardOwner::serve() {
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    while (!stop_) {
        if (XPending(display_) == 0) {
            pollfd p{ConnectionNumber(display_), POLLIN, 0};
            poll(&p, 1, 10);
            continue;
        }
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XEvent answer{};
        answer.xselection.type = SelectionNotify;
        answer.xselection.requestor = request.requestor;
        answer.xselection.selection = request.selection;
        answer.xselection.target = request.target;
        answer.xselection.time = request.time;
        answer.xselection.property = None;
        if (request.target == utf8 || request.target == XA_STRING) {
            XChangeProperty(display_, request.requestor, request.property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(text_.data()), static_cast<int>(text_.size()));
            answer.xselection.property = request.property;
        }
        XSendEvent(display_, request.requestor, False, 0, &answer);
        XFlush(display_);
    }
}

}  // namespace kx::testing
