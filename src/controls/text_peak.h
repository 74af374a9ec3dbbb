// KTextPeak: a published level shown as "Peak: -6.0 dB"; a click runs a
// command (typically a peak reset).
#pragma once

#include "controls/control.h"

namespace kx {

class KDisplayValue;
class KFontResource;

class KTextPeak : public KControl {
public:
    KTextPeak(const KControlInit& init, const KDisplayValue* level, int command, const KFontResource* font,
              const KFontResource* peakFont);
    const char* getClassName() const override { return "KTextPeak"; }
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;
    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;

    double level() const;
    // The text for a level, and whether the peak font shows it.
    static void formatPeak(double level, char* out, size_t size, bool& overFullScale);

private:
    const KDisplayValue* level_;  // not owned
    int command_;
    const KFontResource* font_;
    const KFontResource* peakFont_;
    double lastLevel_ = 0;
};

}  // namespace kx
