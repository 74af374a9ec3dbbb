// Value read-outs: a parameter's display text with units, centred; a click
// opens the text box to type a new value.
#pragma once

#include <string>

#include "controls/control.h"

namespace kx {

class KFontResource;
class KImageResource;

class KValue : public KControl {
public:
    KValue(const KControlInit& init, int param, const KFontResource* font);
    const char* getClassName() const override { return "KValue"; }
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;
    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;

protected:
    int param_;
    const KFontResource* font_;
    double lastValue_ = 0;
    // What was drawn: the value and its text are stored one after the other
    // by whichever thread changes them, so a paint between the two must not
    // be taken for the final picture.
    std::string lastText_;
};

class KBgValue : public KValue {
public:
    KBgValue(const KControlInit& init, int param, const KImageResource* image, const KFontResource* font);
    const char* getClassName() const override { return "KBgValue"; }
    void Draw(KCanvas& canvas) override;

private:
    const KImageResource* image_;
};

}  // namespace kx
