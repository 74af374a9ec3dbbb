// KSkin: what a skin script built (resources, checks, controls, backgrounds,
// size and pages) and the view that paints it and routes the mouse to its
// controls. Everything here runs on the editor (user-interface) thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "controls/condition.h"
#include "controls/control_host.h"
#include "controls/cursor_code.h"
#include "graphics/canvas.h"
#include "graphics/footer.h"

namespace kx {

class KEffect;
class KCheck;
class KControl;
class KResource;
class KColourResource;
class KFont;
class KFontResource;
class KImageResource;
class KSkinWindow;
class KDisplayValue;

struct KBackground {
    int page = 0;                           // 0 = every page
    const KImageResource* image = nullptr;  // not owned
    int frame = 0;                          // 0-based
    KConditionSet conditions;
    // A BackgroundMap line is kept as one entry for pages page..lastPage
    // (instead of one per page, which a script with a huge page count would
    // turn into billions); with frameFollowsPage, page p shows frame p - 1.
    int lastPage = 0;
    bool frameFollowsPage = false;

    bool shownOn(int current) const {
        return page == 0 || (current >= page && current <= (lastPage > page ? lastPage : page));
    }
    int frameOn(int current) const { return frameFollowsPage ? current - 1 : frame; }
    bool isRange() const { return lastPage > page; }
};

class KSkin : public KControlHost {
public:
    explicit KSkin(KEffect* effect);
    virtual ~KSkin();
    KSkin(const KSkin&) = delete;
    KSkin& operator=(const KSkin&) = delete;

    // View operations.
    void RequestRepaint() override;
    virtual void RequestFullRedraw();
    virtual void SuspendRepaint(bool suspend);
    void SetPage(int page) override;
    int GetPage() const override { return currentPage_; }

    // Brings the canvas up to date: background when it changed, then hidden
    // controls erased and visible dirty ones drawn.
    void Paint(KCanvas& canvas);
    // Draws a new canvas from scratch at the next Paint.
    void ResetCanvas(KCanvas& canvas);
    // Puts the background back under the current clip window.
    void RestoreBackground(KCanvas& canvas) override;
    // What the window does for a control: the text box, a link.
    void OpenTextEntry(int x, int y, int w, int h, const KFontResource* font, int paramIndex) override;
    void OpenLink(const char* target) override;

    // Event routing, canvas coordinates. Presses answer whether the window
    // must capture the mouse, releases whether it must release it.
    int MouseMove(bool shift, int x, int y);  // answers the cursor code
    int CursorAt(int x, int y) const;
    bool LeftDown(bool shift, bool ctrl, int x, int y);
    bool LeftUp(bool shift, bool ctrl, int x, int y);
    bool RightDown(bool shift, bool ctrl, int x, int y);
    bool RightUp(bool shift, bool ctrl, int x, int y);
    void CaptureLost();
    // The wheel at (x, y), turned by `notches`: true when the control under
    // the pointer used it (a dial, a slider), else the window passes it on.
    // Its notches make one edit for the host until the pointer moves to
    // another control, a press starts, the focus goes, or no notch came for
    // kWheelQuietMs (checked by WheelIdle, at the host's idle).
    bool Wheel(bool shift, double notches, int x, int y);
    void WheelIdle();
    void EndWheel();
    static constexpr int kWheelQuietMs = 300;

    // The editor window opens: start page, repaint allowed.
    void WindowOpened();
    void setWindow(KSkinWindow* window) { window_ = window; }
    KSkinWindow* window() const { return window_; }

    // Lookups used while building (a name of "Null" finds nothing).
    const KImageResource* findImage(const char* name) const;
    const KColourResource* findColour(const char* name) const;
    const KFontResource* findFont(const char* name) const;
    const KCheck* findCheck(const char* name) const;
    const KDisplayValue* findReal(const char* name) const;
    const KDisplayValue* findInteger(const char* name) const;
    const KDisplayValue* findHistory(const char* name) const;
    int findParameter(const char* name) const;
    int findCommand(const char* name) const;

    // Building (the parser).
    void setInit(int width, int scriptHeight, int pages);
    void addResource(std::unique_ptr<KResource> resource);
    void addCheck(std::unique_ptr<KCheck> check);
    const KConditionRef* conditionRef(KCheck* check, bool negate);
    void addControl(std::unique_ptr<KControl> control);
    void addBackground(int page, const KImageResource* image, int frame, const KConditionSet& set);
    // Pages 1..page count: frame i - 1 behind page i when the image has one
    // frame per page, else frame 0 behind each.
    void addBackgroundMap(const KImageResource* image, const KConditionSet& set);
    void setBackgroundColour(KColour colour) { backgroundColour_ = colour; }
    void setStartPage(int page) { startPage_ = page; }
    void setRefreshThrottle(int ms) { refreshThrottleMs_ = ms; }
    KCheck* findCheckMutable(const char* name);

    // Millisecond tick (wraps); labels time their refresh by it. Tests may
    // replace the clock.
    using Clock = uint32_t (*)();
    uint32_t TickCount() const override { return clock_(); }
    void setClock(Clock clock);

    KEffect* effect() const { return effect_; }
    int width() const { return width_; }
    int height() const { return height_; }  // script height + footer
    int pageCount() const { return pageCount_; }
    int startPage() const { return startPage_; }
    int refreshThrottle() const { return refreshThrottleMs_; }
    KColour backgroundColour() const { return backgroundColour_; }
    bool repaintSuspended() const { return suspended_; }
    int capturedIndex() const { return captured_; }
    size_t controlCount() const { return controls_.size(); }
    KControl* control(size_t i) const { return controls_[i].get(); }
    size_t backgroundCount() const { return backgrounds_.size(); }
    const KBackground& background(size_t i) const { return *backgrounds_[i]; }
    size_t resourceCount() const { return resources_.size(); }
    const KResource* resource(size_t i) const { return resources_[i].get(); }
    size_t checkCount() const { return checks_.size(); }

private:
    const KResource* findResource(const char* name, const char* className) const;
    const KBackground* activeBackground() const;
    void drawBackground(KCanvas& canvas, const KBackground* bg);
    void drawFooter(KCanvas& canvas);
    using ButtonHandler = bool (KControl::*)(bool shift, bool ctrl, int x, int y);
    bool routeButton(ButtonHandler handler, bool press, bool shift, bool ctrl, int x, int y);
    int hitTest(int x, int y) const;
    int target(int x, int y) const;

    KSkinWindow* window_ = nullptr;  // not owned
    // Declared so that destruction runs backgrounds, controls, condition
    // references, checks, resources.
    std::vector<std::unique_ptr<KResource>> resources_;
    std::vector<std::unique_ptr<KCheck>> checks_;
    std::vector<std::unique_ptr<KConditionRef>> conditionRefs_;
    std::vector<std::unique_ptr<KControl>> controls_;
    std::vector<std::unique_ptr<KBackground>> backgrounds_;
    KEffect* effect_;  // not owned
    int width_ = 0;
    int height_ = 0;
    int pageCount_ = 0;
    int startPage_ = 1;
    std::unique_ptr<KFont> footerFont_;  // made at the first footer paint, kept for the next
    const KBackground* lastBackground_ = nullptr;
    int lastBackgroundPage_ = 0;  // the page a range entry was drawn for
    Clock clock_;
    int refreshThrottleMs_ = 40;
    int captured_ = -1;
    int wheelControl_ = -1;  // the control whose wheel edit is open
    uint32_t lastWheelTick_ = 0;
    bool suspended_ = false;
    int currentPage_ = 1;
    KColour backgroundColour_{0, 0, 0, 255};
    bool fullRedrawPending_ = false;
};

}  // namespace kx
