#include "controls/param_buttons.h"

#include <algorithm>

#include "controls/effect_link.h"
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

int KButtonBase::CursorAt(int, int) const { return kCursorHand; }

bool KButtonBase::LeftDown(bool, bool, int, int) {
    pressed_ = true;
    hostAutomate(effect_, param_);
    setParamValue(effect_, param_, 1);
    hostAutomate(effect_, param_);
    Refresh();
    return true;
}

void KButtonBase::release() {
    pressed_ = false;
    hostAutomate(effect_, param_);
    setParamValue(effect_, param_, 0);
    hostAutomate(effect_, param_);
    Refresh();
}

bool KButtonBase::LeftUp(bool, bool, int, int) {
    if (!pressed_)
        return false;
    release();
    return true;
}

void KButtonBase::CancelCapture() {
    if (pressed_)
        release();
}

int KImgButton::CurrentFrame() const {
    int n = view_.frameCount();
    bool up = paramValue(effect_, param_) >= 0.5;
    if (n < 2)
        return 0;
    if (n == 2)
        return up || pressed_ ? 1 : 0;
    return pressed_ ? 2 : up ? 1 : 0;
}

bool KImgButton::NeedsDraw(KCanvas& canvas) {
    return KControl::NeedsDraw(canvas) || view_.changed(CurrentFrame());
}

// --- switches and radios ---------------------------------------------------

int KEditPressBase::CursorAt(int, int) const { return kCursorHand; }

void KEditPressBase::pressWith(double value) {
    setParamValue(effect_, param_, value);
    hostAutomate(effect_, param_);
    Refresh();
}

bool KEditPressBase::LeftUp(bool, bool, int, int) {
    if (!pressed_)
        return false;
    pressed_ = false;
    hostEndEdit(effect_, param_);
    Refresh();
    return true;
}

void KEditPressBase::CancelCapture() { LeftUp(false, false, 0, 0); }

bool KSwitchBase::isOn() const { return paramQuantised(effect_, param_) >= 0.5; }

bool KSwitchBase::LeftDown(bool, bool ctrl, int, int) {
    pressed_ = true;
    bool wasOn = isOn();
    hostBeginEdit(effect_, param_);
    hostAutomate(effect_, param_);
    pressWith(ctrl ? paramDefault(effect_, param_) : wasOn ? 0 : 1);
    return true;
}

int KImgSwitch::CurrentFrame() const { return stateFrame(view_.frameCount(), pressed_, isOn()); }

bool KImgSwitch::NeedsDraw(KCanvas& canvas) {
    return KControl::NeedsDraw(canvas) || view_.changed(CurrentFrame());
}

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

bool KRadioBase::LeftDown(bool, bool ctrl, int, int) {
    pressed_ = true;
    hostBeginEdit(effect_, param_);
    hostAutomate(effect_, param_);
    pressWith(ctrl ? paramDefault(effect_, param_) : ownValue_);
    return true;
}

int KImgRadio::CurrentFrame() const { return stateFrame(view_.frameCount(), pressed_, isSelected()); }

bool KImgRadio::NeedsDraw(KCanvas& canvas) {
    return KControl::NeedsDraw(canvas) || view_.changed(CurrentFrame());
}

bool KHlRadio::NeedsDraw(KCanvas& canvas) {
    return KControl::NeedsDraw(canvas) || isSelected() != lastSelected_;
}

void KHlRadio::Draw(KCanvas& canvas) {
    bool selected = isSelected();
    look_.draw(canvas, width_, height_, selected, pressed_);
    lastSelected_ = selected;
}

}  // namespace kx
