// Copying the canvas to a window: through shared memory or over the
// connection, and into screens whose pixels are not 32-bit words.
#include "editor_fixture.h"

#include <X11/Xutil.h>

#include <cstdlib>
#include <string>

#include "editor/linux/x11_picture.h"
#include "graphics/canvas.h"

namespace kx::testing {
namespace {

constexpr int kWidth = 61;  // an odd width: rows of 16-bit images are padded
constexpr int kHeight = 23;

KCanvas gradient() {
    KCanvas canvas(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            canvas.pixels()[y * kWidth + x] = packPixel(uint8_t(x * 4), uint8_t(y * 11), uint8_t((x * y) & 0xFF));
    return canvas;
}

// Puts the canvas into a fresh window on the display and reads it back.
std::vector<uint32_t> putAndRead(Display* display, const KCanvas& canvas, bool allowSharedMemory, bool* usedShm,
                                 unsigned long* errors) {
    const int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
    GC gc = XCreateGC(display, window, 0, nullptr);
    X11ErrorRecord record;
    std::vector<uint32_t> out;
    {
        X11ErrorTrap trap(display, record);
        X11Picture picture(display, DefaultVisual(display, screen), DefaultDepth(display, screen), record,
                           allowSharedMemory);
        picture.put(window, gc, canvas);
        picture.put(window, gc, canvas);  // a second put reuses the image
        XSync(display, False);
        *usedShm = picture.usesSharedMemory();
        XImage* image = XGetImage(display, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        for (int y = 0; image && y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)));
        if (image)
            XDestroyImage(image);
    }
    *errors = record.count;
    XFreeGC(display, gc);
    XDestroyWindow(display, window);
    XSync(display, False);
    return out;
}

class PictureTest : public EditorTest {};

TEST_F(PictureTest, SharedMemoryAndTheConnectionGiveTheSamePixels) {
    const KCanvas canvas = gradient();
    std::vector<uint32_t> expected;
    for (int i = 0; i < kWidth * kHeight; ++i)
        expected.push_back(canvas.pixels()[i] & 0xFFFFFF);
    bool shm = false;
    unsigned long errors = 0;
    EXPECT_EQ(putAndRead(host->display(), canvas, true, &shm, &errors), expected);
    EXPECT_TRUE(shm) << "a local server offers MIT-SHM";
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(putAndRead(host->display(), canvas, false, &shm, &errors), expected);
    EXPECT_FALSE(shm);
    EXPECT_EQ(errors, 0u);
}

TEST(PictureOnAnotherScreen, A16BitScreenGetsTheCanvasInItsOwnColours) {
    const char* before = getenv("DISPLAY");
    const std::string restore = before ? before : "";
    {
        XvfbServer sixteen(x11::ScreenSize{1280, 1024, 16});
        ASSERT_TRUE(sixteen.running());
        Display* display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        ASSERT_EQ(DefaultDepth(display, DefaultScreen(display)), 16);
        const KCanvas canvas = gradient();
        std::vector<uint32_t> expected;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            const uint32_t p = canvas.pixels()[i];
            expected.push_back(((p >> 19) & 0x1F) << 11 | ((p >> 10) & 0x3F) << 5 | ((p >> 3) & 0x1F));
        }
        bool shm = false;
        unsigned long errors = 0;
        EXPECT_EQ(putAndRead(display, canvas, true, &shm, &errors), expected);
        EXPECT_EQ(errors, 0u);
        EXPECT_EQ(putAndRead(display, canvas, false, &shm, &errors), expected);
        XCloseDisplay(display);
    }
    if (restore.empty())
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", restore.c_str(), 1);
}

}  // namespace
}  // namespace kx::testing
