// KControl: a rectangle on one page (or every page) of the skin that draws
// itself on the persistent canvas and answers the mouse. Editor thread only.
#pragma once

#include <memory>

#include "controls/condition.h"
#include "controls/control_host.h"
#include "controls/cursor_code.h"
#include "graphics/canvas.h"
#include "params/named_object.h"

namespace kx {

class KEffect;

// What the parser hands a control type: its rectangle, page, the condition
// set current on its line, the effect and the skin that will show it.
struct KControlInit {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int page = 0;
    const KConditionSet* conditions = nullptr;
    KEffect* effect = nullptr;
    KControlHost* host = nullptr;
};

// Control rectangles are kept within +-2^24 pixels (see KControl's constructor).
inline constexpr int kMaxControlCoordinate = 1 << 24;

class KControl : public KNamedObjectN<35> {
public:
    explicit KControl(const KControlInit& init);
    ~KControl() override;

    // The canvas under the control has been repainted: nothing to restore.
    virtual void Invalidate();
    // Removes the control's pixels (saved background or the skin's).
    virtual void Erase(KCanvas& canvas);
    virtual void DrawIfNeeded(KCanvas& canvas);
    virtual bool NeedsDraw(KCanvas& canvas);
    virtual void Draw(KCanvas& canvas);
    // Marks the control dirty and asks the host for a repaint.
    virtual void Refresh();
    // Handlers take control-relative coordinates.
    virtual int CursorAt(int x, int y) const;
    virtual bool LeftDown(bool shift, bool ctrl, int x, int y);
    virtual bool LeftUp(bool shift, bool ctrl, int x, int y);
    virtual bool RightDown(bool shift, bool ctrl, int x, int y);
    virtual bool RightUp(bool shift, bool ctrl, int x, int y);
    virtual void MouseMove(bool shift, int x, int y);
    virtual void CancelCapture();
    // The mouse wheel over the control turned by `notches` (positive away
    // from the user; fractions from fine wheels); true when the control used
    // it. A run of turns is one edit for the host, until EndWheel.
    virtual bool Wheel(bool shift, double notches, int x, int y);
    virtual void EndWheel();

    bool IsVisible() const;
    bool Contains(int px, int py) const {
        // In 64 bits: skin rectangles are unchecked and may sit near the int limits.
        long long dx = static_cast<long long>(px) - x_, dy = static_cast<long long>(py) - y_;
        return dx >= 0 && dx < width_ && dy >= 0 && dy < height_;
    }
    int x() const { return x_; }
    int y() const { return y_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int page() const { return page_; }
    bool isDirty() const { return dirty_; }
    bool isDrawn() const { return drawn_; }

protected:
    int x_;
    int y_;
    int width_;
    int height_;
    int page_;
    std::unique_ptr<KImage> savedBackground_;  // only for controls drawn with transparency
    KConditionSet conditions_;
    KEffect* effect_;     // not owned
    KControlHost* host_;  // not owned: the skin showing the control
    bool dirty_ = true;
    bool drawn_ = false;
};

}  // namespace kx
