// Meters bound to values the effect publishes for display.
#pragma once

#include "controls/control.h"
#include "controls/frame_view.h"

namespace kx {

class KColourResource;
class KDisplayValue;

enum class KBarDirection { None, LeftToRight, RightToLeft, TopToBottom, BottomToTop };
KBarDirection barDirectionFromWord(const char* word);

class KBarFracMeter : public KControl {
public:
    KBarFracMeter(const KControlInit& init, const KDisplayValue* value, KBarDirection direction,
                  const KColourResource* colour)
        : KControl(init), value_(value), direction_(direction), colour_(colour) {}
    const char* getClassName() const override { return "KBarFracMeter"; }
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;
    double fraction() const;

private:
    const KDisplayValue* value_;
    KBarDirection direction_;
    const KColourResource* colour_;
    double lastFraction_ = -1;
};

// Base of the meters that pick a frame of a strip from a value.
class KFrameMeter : public KControl {
public:
    KFrameMeter(const KControlInit& init, const KImageResource* image) : KControl(init) { view_.image = image; }
    virtual int CurrentFrame() const = 0;
    bool NeedsDraw(KCanvas& canvas) override { return KControl::NeedsDraw(canvas) || view_.changed(CurrentFrame()); }
    void Draw(KCanvas& canvas) override { view_.draw(canvas, CurrentFrame()); }

protected:
    KFrameView view_;
};

class KImgFracMeter : public KFrameMeter {
public:
    KImgFracMeter(const KControlInit& init, const KDisplayValue* value, const KImageResource* image)
        : KFrameMeter(init, image), value_(value) {}
    const char* getClassName() const override { return "KImgFracMeter"; }
    int CurrentFrame() const override;

private:
    const KDisplayValue* value_;
};

class KImgMeter : public KFrameMeter {
public:
    KImgMeter(const KControlInit& init, const KDisplayValue* value, double scale, double offset,
              const KImageResource* image)
        : KFrameMeter(init, image), value_(value), scale_(scale), offset_(offset) {}
    const char* getClassName() const override { return "KImgMeter"; }
    int CurrentFrame() const override;

private:
    const KDisplayValue* value_;
    double scale_;
    double offset_;
};

// Lights (frame 1) once the level reaches full scale; a click runs a command.
class KImgPeak : public KFrameMeter {
public:
    KImgPeak(const KControlInit& init, const KDisplayValue* value, int command, const KImageResource* image)
        : KFrameMeter(init, image), value_(value), command_(command) {}
    const char* getClassName() const override { return "KImgPeak"; }
    int CurrentFrame() const override;
    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;

private:
    const KDisplayValue* value_;
    int command_;
};

// A value clamped into 0..last and truncated to a frame index, safe for
// values out of int range and NaN (frame 0).
int clampFrame(double value, int last);

}  // namespace kx
