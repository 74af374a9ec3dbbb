#include "skin_session.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <vector>

#include "host/host_callback.h"
#include "host/output_file.h"
#include "instrument/synth_effect.h"

namespace kelvox2 {

std::unique_ptr<kx::KEffect> createInProcessInstrument() {
    return std::unique_ptr<kx::KEffect>(static_cast<kx::KEffect*>(kx::createEffectInstance(kx::quietHostCallback)));
}

AEffect* inProcessEntry(audioMasterCallback host) {
    kx::AudioEffect* effect = kx::createEffectInstance(host);
    return effect ? effect->getAeffect() : nullptr;
}

kx::KEffect* inProcessEffect(AEffect* effect) {
    return effect ? static_cast<kx::KEffect*>(static_cast<kx::AudioEffect*>(effect->object)) : nullptr;
}

SkinView::SkinView(kx::KSkin& skin) : skin_(skin) {
    long long pixels = static_cast<long long>(skin.width()) * skin.height();
    skin_.setWindow(&window_);
    skin_.WindowOpened();
    if (pixels > 0 && pixels <= kx::KCanvas::kMaxPixels) {
        canvas_ = std::make_unique<kx::KCanvas>(skin.width(), skin.height());
        skin_.ResetCanvas(*canvas_);
        skin_.Paint(*canvas_);
    }
}

SkinView::~SkinView() { skin_.setWindow(nullptr); }

bool SkinView::hasPage(int page, std::string& error) const {
    const int count = skin_.pageCount();
    if (page >= 1 && page <= count)
        return true;
    error = "the skin has " + std::to_string(count) + " page" +
            (count == 1 ? " (page 1)" : "s (1 to " + std::to_string(count) + ")");
    return false;
}

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
        if (!hasPage(page, error)) {
            error = "page " + std::to_string(page) + ": " + error;
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

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void noFlush(png_structp) {}

// libpng reports through this instead of printing its own text; the message
// is kept for ours.
[[noreturn]] void keepPngError(png_structp png, png_const_charp message) {
    auto* kept = static_cast<std::string*>(png_get_error_ptr(png));
    *kept = message ? message : "";
    png_longjmp(png, 1);
}

void ignorePngWarning(png_structp, png_const_charp) {}

}  // namespace

bool writeCanvasPng(const kx::KCanvas& canvas, const char* path, std::string& error) {
    return writePixelsPng(canvas.pixels(), canvas.width(), canvas.height(), path, error);
}

bool writePixelsPng(const uint32_t* pixels, int w, int h, const char* path, std::string& error) {
    if (!pixels || w <= 0 || h <= 0) {
        error = "nothing to write";
        return false;
    }
    // Encoded in memory first: the file is then written whole, or not at all.
    std::vector<uint8_t> encoded;
    std::string pngMessage;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngMessage, keepPngError, ignorePngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(w) * 3);
    volatile bool ok = false;  // set after setjmp, read after a longjmp
    if (png && info && !setjmp(png_jmpbuf(png))) {
        png_set_write_fn(png, &encoded, appendToVector, noFlush);
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
        ok = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (!ok) {
        error = std::string("cannot write ") + path + ": the PNG encoder stopped (" +
                (pngMessage.empty() ? std::string("out of memory") : pngMessage) + ")";
        return false;
    }
    kx::OutputFile out;
    return out.open(path, error) && out.write(encoded.data(), encoded.size(), error) && out.commit(error);
}

}  // namespace kelvox2
