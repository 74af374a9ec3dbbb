// Page tabs: the page changes on the press, not the release.
#pragma once

#include "controls/control.h"
#include "controls/frame_view.h"

namespace kx {

class KColourResource;

class KPageSelBase : public KControl {
public:
    KPageSelBase(const KControlInit& init, int page) : KControl(init), targetPage_(page) {}
    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    bool LeftUp(bool shift, bool ctrl, int x, int y) override;
    // A press cut short by a lost capture must not leave the tab lit.
    void CancelCapture() override;
    bool isPressed() const { return pressed_; }

protected:
    int targetPage_;
    bool pressed_ = false;
};

class KPageSelHlt : public KPageSelBase {
public:
    KPageSelHlt(const KControlInit& init, int page, const KColourResource* highlight)
        : KPageSelBase(init, page), highlight_(highlight) {}
    const char* getClassName() const override { return "KPageSelHlt"; }
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;

private:
    const KColourResource* highlight_;
    bool lastPressed_ = false;
};

class KImgPageSel : public KPageSelBase {
public:
    KImgPageSel(const KControlInit& init, const KImageResource* image, int page) : KPageSelBase(init, page) {
        view_.image = image;
    }
    const char* getClassName() const override { return "KImgPageSel"; }
    virtual int CurrentFrame() const;
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override { view_.draw(canvas, CurrentFrame()); }

private:
    KFrameView view_;
};

}  // namespace kx
