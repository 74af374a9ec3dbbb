#include "controls/param_buttons.h"

#include <algorithm>

#include "controls/effect_link.h"
#include "controls/param_edit.h"
#include "graphics/resource.h"

namespace kx {

namespace {

// Frame for a switch or radio from its state and the strip's frame count.
int stateFrame(int frames, bool pressed, bool active) {
    if (pressed && frames == 3)
        return 2;
    if (pressed && frames == 4)
        return active ? 3 : 2;
    return active ? 1 : 0;
}

}  // namespace

// --- momentary button -------------------------------------------------------

void KButtonBase::onPress(bool, bool) {
    KParamEdit(effect_, param_).jump(1);
    Refresh();
}

void KButtonBase::onRelease(bool, bool) { KParamEdit(effect_, param_).jump(0); }

void KButtonBase::onCancel() { KParamEdit(effect_, param_).jump(0); }

int KImgButton::CurrentFrame() const {
    int n = view_.frameCount();
    bool up = paramValue(effect_, param_) >= 0.5;
    if (n < 2)
        return 0;
    if (n == 2)
        return up || pressed_ ? 1 : 0;
    return pressed_ ? 2 : up ? 1 : 0;
}

bool KImgButton::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || view_.changed(CurrentFrame()); }

// --- switches and radios ---------------------------------------------------

void KEditPressBase::pressWith(double value) {
    KParamEdit edit(effect_, param_);
    edit.begin();
    edit.jump(value);
    Refresh();
}

void KEditPressBase::onRelease(bool, bool) { KParamEdit(effect_, param_).end(); }

void KEditPressBase::onCancel() { KParamEdit(effect_, param_).end(); }

bool KSwitchBase::isOn() const { return paramQuantised(effect_, param_) >= 0.5; }

void KSwitchBase::onPress(bool, bool ctrl) { pressWith(ctrl ? paramDefault(effect_, param_) : isOn() ? 0 : 1); }

int KImgSwitch::CurrentFrame() const { return stateFrame(view_.frameCount(), pressed_, isOn()); }

bool KImgSwitch::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || view_.changed(CurrentFrame()); }

void KMarkLook::draw(KCanvas& canvas, int width, int height, bool isOn, bool pressed) const {
    double cx = mark.x + mark.w * 0.5, cy = mark.y + mark.h * 0.5;
    double r = std::min(mark.w, mark.h) * 0.5;
    if (isOn) {
        canvas.drawDot(cx, cy, r, on->colour());
    } else {
        double d = 0.7 * r;
        canvas.drawLine(cx - d, cy - d, cx + d, cy + d, off->colour());
        canvas.drawLine(cx - d, cy + d, cx + d, cy - d, off->colour());
    }
    if (pressed)
        canvas.blendRect(0, 0, width, height, press->colour());
}

bool KHlSwitch::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || isOn() != lastOn_; }

void KHlSwitch::Draw(KCanvas& canvas) {
    bool on = isOn();
    look_.draw(canvas, width_, height_, on, pressed_);
    lastOn_ = on;
}

// --- radio members ----------------------------------------------------------

KRadioBase::KRadioBase(const KControlInit& init, int param, int position, int lastPosition)
    : KEditPressBase(init, param), position_(position), lastPosition_(lastPosition) {
    // In doubles: the script's integers are unchecked for the Hl variant.
    double n = 2.0 * lastPosition + 2;
    ownValue_ = (2.0 * position + 1) / n;
    bandLow_ = 2.0 * position / n;
    bandHigh_ = (2.0 * position + 2) / n;
}

bool KRadioBase::isSelected() const {
    double v = paramQuantised(effect_, param_);
    return (bandLow_ <= v && v < bandHigh_) || (v == 1 && bandHigh_ == 1);
}

void KRadioBase::onPress(bool, bool ctrl) { pressWith(ctrl ? paramDefault(effect_, param_) : ownValue_); }

int KImgRadio::CurrentFrame() const { return stateFrame(view_.frameCount(), pressed_, isSelected()); }

bool KImgRadio::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || view_.changed(CurrentFrame()); }

bool KHlRadio::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || isSelected() != lastSelected_; }

void KHlRadio::Draw(KCanvas& canvas) {
    bool selected = isSelected();
    look_.draw(canvas, width_, height_, selected, pressed_);
    lastSelected_ = selected;
}

}  // namespace kx
