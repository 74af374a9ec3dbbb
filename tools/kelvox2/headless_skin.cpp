#include "kelvox2/headless_skin.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <vector>

#include "instrument/synth_effect.h"
#include "kelvox2/host/host_callback.h"

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

}  // namespace kelvox2
