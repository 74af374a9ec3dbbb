// Page tabs: the page changes on the press, not the release.
#pragma once

#include "controls/frame_view.h"
#include "controls/press_base.h"

namespace kx {

class KColourResource;

class KPageSelBase : public KPressBase {
public:
    KPageSelBase(const KControlInit& init, int page) : KPressBase(init), targetPage_(page) {}

protected:
    void onPress(bool shift, bool ctrl) override;
    void onRelease(bool shift, bool ctrl) override;

    int targetPage_;
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
