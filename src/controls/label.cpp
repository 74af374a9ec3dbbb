#include "controls/label.h"

#include <algorithm>
#include <cstring>

#include "controls/effect_link.h"
#include "graphics/resource.h"

namespace kx {

KTextAlign alignmentFromWord(const char* word) {
    if (!word)
        return kAlignLeft;
    switch (word[0]) {
    case 'C':
    case 'c': return kAlignCentre;
    case 'R':
    case 'r': return kAlignRight;
    default: return kAlignLeft;
    }
}

KLabel::KLabel(const KControlInit& init, const char* alignWord, const char* text, const KFontResource* font,
               int refreshMs)
    : KControl(init), text_(text), font_(font), alignment_(alignmentFromWord(alignWord)) {
    if (std::strchr(text, '$')) {
        refreshMs_ = refreshMs;
        static_ = refreshMs == 0;
        expand();
    } else {
        shown_ = text_;
        refreshMs_ = 0;
        static_ = true;
    }
}

void KLabel::expand() {
    char buffer[kExpandedSize];
    expandEffectVariables(effect_, buffer, sizeof buffer, text_.c_str());
    buffer[sizeof buffer - 1] = '\0';
    shown_ = buffer;
}

bool KLabel::NeedsDraw(KCanvas& canvas) {
    if (KControl::NeedsDraw(canvas))
        return true;
    if (static_)
        return false;
    uint32_t now = host_->TickCount();
    // A negative interval counts as unsigned, as the tick difference does.
    return now - lastDrawTick_ > static_cast<uint32_t>(refreshMs_) || now < lastDrawTick_;
}

void KLabel::Draw(KCanvas& canvas) {
    if (drawn_) {
        Erase(canvas);
    } else {
        // Keep what lies under the text, cut to the canvas, so that a redraw
        // can put it back.
        int w = std::min(width_, canvas.clipW()), h = std::min(height_, canvas.clipH());
        if (w > 0 && h > 0) {
            if (savedBackground_ && savedBackground_->width == w && savedBackground_->height == h)
                canvas.copyToImage(w, h, *savedBackground_);
            else
                savedBackground_ = canvas.snapshot(w, h);
        }
    }
    if (!static_)
        expand();
    canvas.drawText(shown_.c_str(), 0, 0, width_, height_, font_->fontPtr(), alignment_);
    lastDrawTick_ = host_->TickCount();
}

}  // namespace kx
