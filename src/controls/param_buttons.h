// Controls that set a parameter by clicking: a momentary button, a toggle
// switch and radio members that each own a band of the parameter's range.
#pragma once

#include "controls/frame_view.h"
#include "controls/press_base.h"

namespace kx {

class KColourResource;

// A momentary button: 1 while held, 0 again on the release or a lost
// capture; no begin or end edit.
class KButtonBase : public KPressBase {
public:
    KButtonBase(const KControlInit& init, int param) : KPressBase(init), param_(param) {}

protected:
    void onPress(bool shift, bool ctrl) override;
    void onRelease(bool shift, bool ctrl) override;
    void onCancel() override;

    int param_;
};

class KImgButton : public KButtonBase {
public:
    KImgButton(const KControlInit& init, int param, const KImageResource* image) : KButtonBase(init, param) {
        view_.image = image;
    }
    const char* getClassName() const override { return "KImgButton"; }
    virtual int CurrentFrame() const;
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override { view_.draw(canvas, CurrentFrame()); }

private:
    KFrameView view_;
};

// Switches and radios: a press sets the parameter inside one begin/end edit
// pair that the release closes.
class KEditPressBase : public KPressBase {
public:
    KEditPressBase(const KControlInit& init, int param) : KPressBase(init), param_(param) {}

protected:
    // Opens the gesture and stores the value the press chose.
    void pressWith(double value);
    void onRelease(bool shift, bool ctrl) override;
    // A press cut short still ends its edit gesture.
    void onCancel() override;

    int param_;
};

class KSwitchBase : public KEditPressBase {
public:
    using KEditPressBase::KEditPressBase;
    bool isOn() const;

protected:
    // Toggles; Ctrl takes the default instead.
    void onPress(bool shift, bool ctrl) override;
};

class KImgSwitch : public KSwitchBase {
public:
    KImgSwitch(const KControlInit& init, int param, const KImageResource* image) : KSwitchBase(init, param) {
        view_.image = image;
    }
    const char* getClassName() const override { return "KImgSwitch"; }
    virtual int CurrentFrame() const;
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override { view_.draw(canvas, CurrentFrame()); }

private:
    KFrameView view_;
};

// The look of the "Hl" variants: a disc when on, a cross when off, inside a
// mark rectangle, and a translucent cover while pressed.
struct KMarkLook {
    KRect mark;
    const KColourResource* off;
    const KColourResource* on;
    const KColourResource* press;
    void draw(KCanvas& canvas, int width, int height, bool isOn, bool pressed) const;
};

class KHlSwitch : public KSwitchBase {
public:
    KHlSwitch(const KControlInit& init, int param, const KMarkLook& look) : KSwitchBase(init, param), look_(look) {}
    const char* getClassName() const override { return "KHlSwitch"; }
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;

private:
    KMarkLook look_;
    bool lastOn_ = false;
};

class KRadioBase : public KEditPressBase {
public:
    KRadioBase(const KControlInit& init, int param, int position, int lastPosition);
    bool isSelected() const;
    double ownValue() const { return ownValue_; }

protected:
    // Sets the radio's own value; Ctrl takes the default instead.
    void onPress(bool shift, bool ctrl) override;

    int position_;
    int lastPosition_;
    double ownValue_;
    double bandLow_;
    double bandHigh_;
};

class KImgRadio : public KRadioBase {
public:
    KImgRadio(const KControlInit& init, int param, int position, int lastPosition, const KImageResource* image)
        : KRadioBase(init, param, position, lastPosition) {
        view_.image = image;
    }
    const char* getClassName() const override { return "KImgRadio"; }
    virtual int CurrentFrame() const;
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override { view_.draw(canvas, CurrentFrame()); }

private:
    KFrameView view_;
};

class KHlRadio : public KRadioBase {
public:
    KHlRadio(const KControlInit& init, int param, int position, int lastPosition, const KMarkLook& look)
        : KRadioBase(init, param, position, lastPosition), look_(look) {}
    const char* getClassName() const override { return "KHlRadio"; }
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;

private:
    KMarkLook look_;
    bool lastSelected_ = false;
};

}  // namespace kx
