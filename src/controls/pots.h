// The dials: all drag alike (KPotBase) and differ only in how they draw.
// Their knob bodies belong to the background; they draw marks over it.
#pragma once

#include "controls/frame_view.h"
#include "controls/pot_base.h"

namespace kx {

class KColourResource;

// Shared by the dials that draw marks at the value's angle: they redraw
// when the value moved, and each declares only how its marks look.
class KPositionPot : public KPotBase {
public:
    using KPotBase::KPotBase;
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;

protected:
    // The marks for value v (the quantised value, 0..1).
    virtual void drawPosition(KCanvas& canvas, double v) = 0;

    double lastPosition_ = 0;
};

class KPotDot : public KPositionPot {
public:
    KPotDot(const KControlInit& init, int param, const KColourResource* highlight, double radius,
            const KColourResource* dot);
    const char* getClassName() const override { return "KPotDot"; }

protected:
    void drawPosition(KCanvas& canvas, double v) override;

private:
    const KColourResource* highlight_;
    const KColourResource* dot_;
    double radius_;
};

class KBgPotDot : public KPositionPot {
public:
    KBgPotDot(const KControlInit& init, int param, const KImageResource* image, double radius,
              const KColourResource* dot);
    const char* getClassName() const override { return "KBgPotDot"; }

protected:
    void drawPosition(KCanvas& canvas, double v) override;

private:
    const KImageResource* image_;
    const KColourResource* dot_;
    double radius_;
};

class KPotLine : public KPositionPot {
public:
    KPotLine(const KControlInit& init, int param, const KColourResource* highlight, double length,
             const KColourResource* line);
    const char* getClassName() const override { return "KPotLine"; }

protected:
    void drawPosition(KCanvas& canvas, double v) override;

private:
    const KColourResource* highlight_;
    const KColourResource* line_;
    double length_;
};

// A filmstrip knob: frame follows the value, rounded.
class KImgPot : public KPotBase {
public:
    KImgPot(const KControlInit& init, int param, const KImageResource* image);
    const char* getClassName() const override { return "KImgPot"; }
    virtual int CurrentFrame() const;
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;

private:
    KFrameView view_;
};

}  // namespace kx
