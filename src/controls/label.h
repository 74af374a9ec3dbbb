// KLabel: fixed text, or text with ${variables} expanded at load and, with a
// refresh interval, again whenever the interval has passed.
#pragma once

#include <cstdint>
#include <string>

#include "controls/control.h"

namespace kx {

class KFontResource;

class KLabel : public KControl {
public:
    static constexpr size_t kExpandedSize = 384;

    KLabel(const KControlInit& init, const char* alignWord, const char* text, const KFontResource* font, int refreshMs);
    const char* getClassName() const override { return "KLabel"; }
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;

    const char* shownText() const { return shown_.c_str(); }
    KTextAlign alignment() const { return alignment_; }
    bool isStatic() const { return static_; }

private:
    void expand();

    std::string text_;   // as written in the script
    std::string shown_;  // after expansion
    const KFontResource* font_;
    KTextAlign alignment_;
    int refreshMs_;
    bool static_;
    uint32_t lastDrawTick_ = 0;
};

// 0 left, 1 centre, 2 right, from the first letter of the script's word.
KTextAlign alignmentFromWord(const char* word);

}  // namespace kx
