#include "editor/linux/x11_clipboard.h"

#include "editor/linux/single_byte_text.h"

#include <X11/Xatom.h>
#include <poll.h>
#include <time.h>

#include <cstdint>
#include <initializer_list>

namespace kx {

namespace {

long long nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Waits for the answer to our conversion request; false when none came.
bool awaitSelection(Display* display, Window requestor, Atom selection, long long deadline, XEvent& event) {
    for (;;) {
        while (XCheckTypedWindowEvent(display, requestor, SelectionNotify, &event))
            if (event.xselection.selection == selection)
                return true;
        long long remaining = deadline - nowMs();
        if (remaining <= 0)
            return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(remaining));
    }
}

}  // namespace

size_t readX11Clipboard(Display* display, Window requestor, Time time, char* text, size_t size, int waitMs) {
    if (!text || size == 0)
        return 0;
    text[0] = '\0';
    const char* names[] = {"CLIPBOARD", "UTF8_STRING", "INCR", "KX_PASTE"};
    Atom atoms[4] = {};
    if (!XInternAtoms(display, const_cast<char**>(names), 4, False, atoms))
        return 0;
    const Atom clipboard = atoms[0], utf8 = atoms[1], incremental = atoms[2], property = atoms[3];
    if (XGetSelectionOwner(display, clipboard) == None)
        return 0;
    const long long deadline = nowMs() + waitMs;
    for (Atom target : {utf8, static_cast<Atom>(XA_STRING)}) {
        XDeleteProperty(display, requestor, property);
        XConvertSelection(display, clipboard, target, property, requestor, time);
        XEvent event;
        if (!awaitSelection(display, requestor, clipboard, deadline, event))
            return 0;
        if (event.xselection.property == None)
            continue;  // the owner has no text of this kind
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        // A field holds 255 characters: 16 KB of the text is plenty.
        if (XGetWindowProperty(display, requestor, property, 0, 4096, True, AnyPropertyType, &type, &format, &items,
                               &after, &data) != Success)
            return 0;
        size_t n = 0;
        // Incremental transfers are for large texts, which a field cannot hold.
        if (data && format == 8 && type != incremental) {
            if (target == utf8) {
                n = utf8ToSingleByte(data, items, text, size);
            } else {
                for (; n < items && n + 1 < size; ++n)
                    text[n] = static_cast<char>(data[n]);
                text[n] = '\0';
            }
        }
        if (data)
            XFree(data);
        return n;
    }
    return 0;
}

}  // namespace kx
