// Copying the canvas's pixels to a window: XShmPutImage through a shared
// memory segment when the server offers MIT-SHM on this connection (a local
// server), else XPutImage over the connection. Pixels go as they are when
// the window's format is 32-bit 0x00RRGGBB words in the server's byte order
// (every common TrueColor visual); any other format is converted per pixel.
//
// Threads: the connection's (user-interface) thread.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "editor/linux/x11_error_trap.h"

namespace kx {

class KCanvas;

class X11Picture {
public:
    // allowSharedMemory false: always over the connection.
    X11Picture(Display* display, Visual* visual, int depth, X11ErrorRecord& errors, bool allowSharedMemory = true);
    ~X11Picture();
    X11Picture(const X11Picture&) = delete;
    X11Picture& operator=(const X11Picture&) = delete;

    // One copy of the whole canvas to the drawable's origin. Nothing when
    // the canvas has no pixels or no image of its size can be made.
    void put(Drawable drawable, GC gc, const KCanvas& canvas);
    bool usesSharedMemory() const { return shm_; }
    // The server has carried out every request so far (the caller synced).
    void settled() { putInFlight_ = false; }

private:
    bool prepare(int width, int height);
    bool prepareShared(int width, int height);
    bool preparePlain(int width, int height);
    void release();
    void fill(const KCanvas& canvas);

    Display* display_;
    Visual* visual_;
    int depth_;
    X11ErrorRecord& errors_;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_{};
    bool shm_ = false;
    bool shmRefused_ = false;
    // The server may still be reading the segment of the last put.
    bool putInFlight_ = false;
    bool direct_ = false;  // canvas words copy as they are
};

}  // namespace kx
