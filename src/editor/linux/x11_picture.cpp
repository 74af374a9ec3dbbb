#include "editor/linux/x11_picture.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>

#include "graphics/canvas.h"

namespace kx {

namespace {

// A channel of 8 bits placed in a mask of any width.
unsigned long channel(uint32_t value8, unsigned long mask) {
    if (!mask)
        return 0;
    int shift = __builtin_ctzl(mask);
    int bits = __builtin_popcountl(mask);
    unsigned long v = bits >= 8 ? static_cast<unsigned long>(value8) << (bits - 8) : value8 >> (8 - bits);
    return (v << shift) & mask;
}

// Frees an image whose pixel memory belongs to someone else (a shared
// segment, or nothing yet): XDestroyImage frees data and obdata.
void destroyImageShell(XImage* image) {
    image->data = nullptr;
    image->obdata = nullptr;
    XDestroyImage(image);
}

}  // namespace

X11Picture::X11Picture(Display* display, Visual* visual, int depth, X11ErrorRecord& errors, bool allowSharedMemory)
    : display_(display), visual_(visual), depth_(depth), errors_(errors), shmRefused_(!allowSharedMemory) {}

X11Picture::~X11Picture() { release(); }

void X11Picture::release() {
    if (!image_)
        return;
    if (shm_) {
        XShmDetach(display_, &segment_);
        destroyImageShell(image_);
        shmdt(segment_.shmaddr);
        segment_ = {};
    } else {
        XDestroyImage(image_);
    }
    image_ = nullptr;
    shm_ = false;
    putInFlight_ = false;
}

bool X11Picture::prepare(int width, int height) {
    if (image_ && image_->width == width && image_->height == height)
        return true;
    release();
    if ((shmRefused_ || !prepareShared(width, height)) && !preparePlain(width, height))
        return false;
    direct_ = image_->bits_per_pixel == 32 && image_->red_mask == 0xFF0000 && image_->green_mask == 0xFF00 &&
              image_->blue_mask == 0xFF && image_->byte_order == LSBFirst && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
    return true;
}

bool X11Picture::prepareShared(int width, int height) {
    if (!XShmQueryExtension(display_)) {
        shmRefused_ = true;
        return false;
    }
    XImage* image = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &segment_,
                                    static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image)
        return false;
    const size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* address = id >= 0 ? shmat(id, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (address == reinterpret_cast<void*>(-1)) {
        if (id >= 0)
            shmctl(id, IPC_RMID, nullptr);
        destroyImageShell(image);
        segment_ = {};
        return false;
    }
    segment_.shmid = id;
    segment_.shmaddr = image->data = static_cast<char*>(address);
    segment_.readOnly = False;
    const unsigned long errorsBefore = errors_.count;
    const bool attached = XShmAttach(display_, &segment_) != 0;
    // A server on another machine refuses the attach, and says so only in
    // an error that arrives later: wait for it here.
    XSync(display_, False);
    // The segment vanishes once both sides have let go of it.
    shmctl(id, IPC_RMID, nullptr);
    if (!attached || errors_.count != errorsBefore) {
        destroyImageShell(image);
        shmdt(address);
        segment_ = {};
        shmRefused_ = true;
        return false;
    }
    image_ = image;
    shm_ = true;
    return true;
}

bool X11Picture::preparePlain(int width, int height) {
    XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!image)
        return false;
    const size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
    image->data = static_cast<char*>(std::malloc(bytes ? bytes : 1));
    if (!image->data) {
        destroyImageShell(image);
        return false;
    }
    image_ = image;
    shm_ = false;
    return true;
}

void X11Picture::fill(const KCanvas& canvas) {
    const uint32_t* src = canvas.pixels();
    const int width = canvas.width(), height = canvas.height();
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    if (direct_) {
        if (static_cast<size_t>(image_->bytes_per_line) == rowBytes) {
            std::memcpy(image_->data, src, rowBytes * static_cast<size_t>(height));
        } else {
            for (int y = 0; y < height; ++y)
                std::memcpy(image_->data + static_cast<size_t>(y) * static_cast<size_t>(image_->bytes_per_line),
                            src + static_cast<size_t>(y) * static_cast<size_t>(width), rowBytes);
        }
        return;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t p = src[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            XPutPixel(image_, x, y,
                      channel((p >> 16) & 0xFF, image_->red_mask) | channel((p >> 8) & 0xFF, image_->green_mask) |
                          channel(p & 0xFF, image_->blue_mask));
        }
}

void X11Picture::put(Drawable drawable, GC gc, const KCanvas& canvas) {
    const int width = canvas.width(), height = canvas.height();
    if (!canvas.pixels() || width <= 0 || height <= 0)
        return;
    if (putInFlight_) {
        // The server may still be reading the segment we are about to fill.
        XSync(display_, False);
        putInFlight_ = false;
    }
    if (!prepare(width, height))
        return;
    fill(canvas);
    if (shm_) {
        XShmPutImage(display_, drawable, gc, image_, 0, 0, 0, 0, static_cast<unsigned>(width),
                     static_cast<unsigned>(height), False);
        putInFlight_ = true;
    } else {
        XPutImage(display_, drawable, gc, image_, 0, 0, 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
    }
}

}  // namespace kx
