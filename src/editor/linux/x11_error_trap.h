// Xlib reports protocol errors to one process-wide handler whose default
// prints the error and exits the process: a plug-in whose requests fail (a
// host that destroyed its window first, a stale id) would take the host
// down. While an X11ErrorTrap lives, errors on its connection are counted
// into its record instead; errors on any other connection (the host's) go
// on to the handler that was installed before, as if the trap were not
// there. Every use of the plug-in's connection sits inside a trap, so that
// late errors, which Xlib reports whenever it next reads the connection,
// are caught too.
//
// Threads: a trap belongs to the thread that made it. Traps nest, and
// traps on several threads may live at once.
#pragma once

#include <X11/Xlib.h>

namespace kx {

// What went wrong on a connection.
struct X11ErrorRecord {
    unsigned long count = 0;
    unsigned char lastCode = 0;     // BadWindow, BadMatch, ...
    unsigned char lastRequest = 0;  // the major opcode that failed
    XID lastResource = 0;
    unsigned long lastSerial = 0;
};

class X11ErrorTrap {
public:
    X11ErrorTrap(Display* display, X11ErrorRecord& record);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

private:
    static int onError(Display* display, XErrorEvent* error);

    Display* display_;
    X11ErrorRecord& record_;
    X11ErrorTrap* outer_;
};

}  // namespace kx
