// KSlide: a vertical slider whose handle is dragged; the track can't be
// clicked to jump.
#pragma once

#include "controls/control.h"
#include "controls/drag_gesture.h"

namespace kx {

class KImageResource;
class KColourResource;

class KSlide : public KControl {
public:
    KSlide(const KControlInit& init, int param, const KImageResource* handle, const KColourResource* highlight,
           KRect highlightRect);
    const char* getClassName() const override { return "KSlide"; }

    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    bool LeftUp(bool shift, bool ctrl, int x, int y) override;
    void MouseMove(bool shift, int x, int y) override;
    void CancelCapture() override;
    // Anywhere on the track, unlike a press.
    bool Wheel(bool shift, double notches, int x, int y) override;
    void EndWheel() override;
    bool NeedsDraw(KCanvas& canvas) override;
    void Draw(KCanvas& canvas) override;

    int handleY() const;
    int travel() const { return travel_; }

private:
    bool onHandle(int x, int y) const;

    int param_;
    const KImageResource* handle_;
    const KColourResource* highlight_;
    KRect highlightRect_;  // relative to the handle's top-left
    int travel_;
    int lastHandleY_ = -1;
    KDragGesture drag_;
};

}  // namespace kx
