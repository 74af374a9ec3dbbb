// Scrolling waveform displays of a published history: the newest slot on the
// right, outer and inner bands per column, a centre line and two markers.
#pragma once

#include "controls/control.h"

namespace kx {

class KColourResource;
class KDisplayValue;
class KFontResource;

struct KWaveLook {
    const KDisplayValue* history = nullptr;
    const KDisplayValue* marker1 = nullptr;  // optional levels
    const KDisplayValue* marker2 = nullptr;
    const KColourResource* outer = nullptr;
    const KColourResource* inner = nullptr;
    const KColourResource* line = nullptr;
};

class KWave : public KControl {
public:
    KWave(const KControlInit& init, const KWaveLook& look);
    const char* getClassName() const override { return "KWave"; }
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;

protected:
    // Draws the history over rows 0..areaHeight with every datum times zoom.
    void drawWave(KCanvas& canvas, int areaHeight, double zoom);
    bool waveChanged(double threshold) const;

    KWaveLook look_;
    double lastMarker1_ = 0;
    double lastMarker2_ = 0;
    int lastChangeCounter_ = 0;
};

class KZoomWave : public KWave {
public:
    static constexpr int kBarHeight = 16;
    static constexpr int kHandleWidth = 40;

    KZoomWave(const KControlInit& init, const KWaveLook& look, const KColourResource* bar,
              const KColourResource* handle, const KColourResource* dragging, const KFontResource* font);
    const char* getClassName() const override { return "KZoomWave"; }
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;
    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    bool LeftUp(bool shift, bool ctrl, int x, int y) override;
    void MouseMove(bool shift, int x, int y) override;
    // A drag cut short leaves the handle idle.
    void CancelCapture() override;

    float zoom() const { return zoom_; }
    const char* zoomText() const { return zoomText_; }
    int handleX() const { return handleX_; }
    void setZoom(float z);

private:
    enum class DragMode { Idle, Dragging, PressedForReset };

    void zoomFromX(int x);
    bool onBar(int x, int y) const;

    const KColourResource* bar_;
    const KColourResource* handle_;
    const KColourResource* dragging_;
    const KFontResource* font_;
    float zoom_ = 1;
    char zoomText_[8] = {};
    int handleX_ = 0;
    int travel_;
    DragMode mode_ = DragMode::Idle;
};

}  // namespace kx
