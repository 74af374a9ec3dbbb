#include "skin_session.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <vector>

#include "instrument/synth_effect.h"

namespace kelvox2 {

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterGetSampleRate: return 44100;
        case audioMasterGetBlockSize: return 1024;
        case audioMasterGetVendorString:
            if (ptr)
                std::strcpy(static_cast<char*>(ptr), "kelvox2");
            return 1;
        case audioMasterGetProductString:
            if (ptr)
                std::strcpy(static_cast<char*>(ptr), "snapshot");
            return 1;
        default: return 0;
    }
}

}  // namespace

std::unique_ptr<kx::KEffect> createInProcessInstrument() {
    return std::unique_ptr<kx::KEffect>(static_cast<kx::KEffect*>(kx::createEffectInstance(quietHost)));
}

SkinView::SkinView(kx::KSkin& skin) : skin_(skin) {
    long long pixels = static_cast<long long>(skin.width()) * skin.height();
    skin_.setWindow(&window_);
    skin_.WindowOpened();
    if (pixels > 0 && pixels <= kMaxPixels) {
        canvas_ = std::make_unique<kx::KCanvas>(skin.width(), skin.height());
        skin_.ResetCanvas(*canvas_);
        skin_.Paint(*canvas_);
    }
}

SkinView::~SkinView() { skin_.setWindow(nullptr); }

void SkinView::paint() {
    if (canvas_)
        skin_.Paint(*canvas_);
}

bool SkinView::replay(const std::string& line, std::string& error) {
    std::istringstream in(line);
    std::string verb;
    if (!(in >> verb) || verb[0] == '#')
        return true;
    auto readPoint = [&](int& x, int& y) {
        if (in >> x >> y)
            return true;
        error = "'" + verb + "' needs X and Y";
        return false;
    };
    bool shift = false, ctrl = false;
    auto readKeys = [&]() {
        std::string key;
        while (in >> key) {
            if (key == "shift")
                shift = true;
            else if (key == "ctrl")
                ctrl = true;
            else {
                error = "unknown key '" + key + "' (shift or ctrl)";
                return false;
            }
        }
        return true;
    };
    int x = 0, y = 0;
    if (verb == "down" || verb == "up" || verb == "rdown" || verb == "rup") {
        if (!readPoint(x, y) || !readKeys())
            return false;
        if (verb == "down")
            skin_.LeftDown(shift, ctrl, x, y);
        else if (verb == "up")
            skin_.LeftUp(shift, ctrl, x, y);
        else if (verb == "rdown")
            skin_.RightDown(shift, ctrl, x, y);
        else
            skin_.RightUp(shift, ctrl, x, y);
    } else if (verb == "move") {
        if (!readPoint(x, y) || !readKeys())
            return false;
        if (ctrl) {
            error = "'move' takes only shift";
            return false;
        }
        skin_.MouseMove(shift, x, y);
    } else if (verb == "page") {
        int page = 0;
        if (!(in >> page)) {
            error = "'page' needs a page number";
            return false;
        }
        skin_.SetPage(page);
    } else if (verb == "lost") {
        skin_.CaptureLost();
    } else {
        error = "unknown event '" + verb + "' (down, up, rdown, rup, move, page, lost)";
        return false;
    }
    paint();
    return true;
}

namespace {

// libpng reports through these instead of printing its own text: the
// message and the system's error at that moment are kept for ours.
struct PngWriteFailure {
    FILE* file = nullptr;
    std::string message;
    int systemError = 0;
};

[[noreturn]] void keepPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngWriteFailure*>(png_get_error_ptr(png));
    failure->message = message ? message : "";
    failure->systemError = failure->file && std::ferror(failure->file) ? errno : 0;
    png_longjmp(png, 1);
}

void ignorePngWarning(png_structp, png_const_charp) {}

// The canvas as an 8-bit RGB PNG into an open file.
bool encodeRgbPng(FILE* file, const uint32_t* pixels, int w, int h, PngWriteFailure& failure) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, keepPngError, ignorePngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(png ? &png : nullptr, nullptr);
        failure.message = "out of memory";
        return false;
    }
    std::vector<png_byte> row(static_cast<size_t>(w) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) {
        const uint32_t* src = pixels + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            row[x * 3] = static_cast<png_byte>(src[x] >> 16);
            row[x * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
            row[x * 3 + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writeCanvasPng(const kx::KCanvas& canvas, const char* path, std::string& error) {
    const uint32_t* pixels = canvas.pixels();
    int w = canvas.width(), h = canvas.height();
    if (!pixels || w <= 0 || h <= 0) {
        error = "nothing to write";
        return false;
    }
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno);
        return false;
    }
    PngWriteFailure failure;
    failure.file = file;
    bool ok = encodeRgbPng(file, pixels, w, h, failure);
    if (std::fflush(file) != 0 && ok) {
        ok = false;
        failure.systemError = errno;
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        failure.systemError = errno;
    }
    if (!ok) {
        error = std::string("cannot write ") + path + ": ";
        if (failure.systemError)
            error += std::strerror(failure.systemError);
        else
            error += "the PNG encoder stopped (" + failure.message + ")";
        // Half a picture is no use; but a device or pipe is not ours to remove.
        struct stat st;
        if (stat(path, &st) == 0 && S_ISREG(st.st_mode))
            std::remove(path);
    }
    return ok;
}

}  // namespace kelvox2
