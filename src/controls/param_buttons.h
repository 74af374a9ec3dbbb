// Controls that set a parameter by clicking: a momentary button, a toggle
// switch and radio members that each own a band of the parameter's range.
#pragma once

#include "controls/control.h"
#include "controls/frame_view.h"

namespace kx {

class KColourResource;

class KButtonBase : public KControl {
public:
    KButtonBase(const KControlInit& init, int param) : KControl(init), param_(param) {}
    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    bool LeftUp(bool shift, bool ctrl, int x, int y) override;
    void CancelCapture() override;

protected:
    void release();

    int param_;
    bool pressed_ = false;
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
// pair that the release (or a lost capture) closes.
class KEditPressBase : public KControl {
public:
    KEditPressBase(const KControlInit& init, int param) : KControl(init), param_(param) {}
    int CursorAt(int x, int y) const override;
    bool LeftUp(bool shift, bool ctrl, int x, int y) override;
    // A press cut short still ends its edit gesture.
    void CancelCapture() override;
    bool isPressed() const { return pressed_; }

protected:
    // Opens the gesture and stores the value the press chose.
    void pressWith(double value);

    int param_;
    bool pressed_ = false;
};

class KSwitchBase : public KEditPressBase {
public:
    using KEditPressBase::KEditPressBase;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    bool isOn() const;
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
    KHlSwitch(const KControlInit& init, int param, const KMarkLook& look)
        : KSwitchBase(init, param), look_(look) {}
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
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    bool isSelected() const;
    double ownValue() const { return ownValue_; }

protected:
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
