#include "skin/skin.h"

#include <strings.h>
#include <algorithm>
#include <cstdint>

#include "controls/control.h"
#include "controls/effect_link.h"
#include "graphics/font.h"
#include "graphics/resource.h"
#include "plugin/display_value.h"
#include "skin/check.h"
#include "skin/footer.h"
#include "skin/skin_window.h"
#include "skin/system_clock.h"

namespace kx {

namespace {

bool isNullName(const char* name) { return !name || !strcasecmp(name, "Null"); }

// Event coordinates relative to a control, saturated: events may come from
// anywhere an int reaches.
int relative(int a, int origin) {
    long long d = static_cast<long long>(a) - origin;
    return static_cast<int>(std::clamp<long long>(d, INT32_MIN, INT32_MAX));
}

}  // namespace

KSkin::KSkin(KEffect* effect) : effect_(effect), clock_(systemTickCount) {}

void KSkin::setClock(Clock clock) { clock_ = clock ? clock : systemTickCount; }

KSkin::~KSkin() = default;

void KSkin::RequestRepaint() {
    if (!window_ || suspended_)
        return;
    if (window_->isLive())
        window_->invalidate();
    else
        window_ = nullptr;
}

void KSkin::RequestFullRedraw() {
    fullRedrawPending_ = true;
    RequestRepaint();
}

void KSkin::SuspendRepaint(bool suspend) {
    suspended_ = suspend;
    if (!suspend)
        RequestRepaint();
}

void KSkin::SetPage(int page) {
    currentPage_ = page;
    RequestRepaint();
}

void KSkin::OpenTextEntry(int x, int y, int w, int h, const KFontResource* font, int paramIndex) {
    if (window_)
        window_->openTextEntry(x, y, w, h, font, paramIndex);
}

void KSkin::OpenLink(const char* target) {
    if (window_)
        window_->openLink(target);
}

void KSkin::WindowOpened() {
    currentPage_ = startPage_;
    suspended_ = false;
}

const KBackground* KSkin::activeBackground() const {
    for (const auto& bg : backgrounds_)
        if (bg->shownOn(currentPage_) && bg->conditions.evaluate())
            return bg.get();
    return nullptr;
}

void KSkin::drawBackground(KCanvas& canvas, const KBackground* bg) {
    int w = std::min(canvas.width(), width_);
    int h = std::min(canvas.height(), height_ - kFooterHeight);
    canvas.fillRect(0, 0, w, h, backgroundColour_);
    if (bg && bg->image)
        bg->image->drawFrame(canvas, bg->frameOn(currentPage_), 0, 0);
    drawFooter(canvas);
}

void KSkin::drawFooter(KCanvas& canvas) {
    if (!footerFont_)
        footerFont_ = createFooterFont();
    drawFooterStrip(canvas, width_, height_, effect_, *footerFont_);
}

void KSkin::Paint(KCanvas& canvas) {
    canvas.resetClip();
    const KBackground* bg = activeBackground();
    int bgPage = bg && bg->isRange() ? currentPage_ : 0;
    if (bg != lastBackground_ || bgPage != lastBackgroundPage_ || fullRedrawPending_) {
        lastBackground_ = bg;
        lastBackgroundPage_ = bgPage;
        drawBackground(canvas, bg);
        for (auto& c : controls_)
            c->Invalidate();
        fullRedrawPending_ = false;
    }
    for (size_t i = controls_.size(); i-- > 0;) {
        KControl& c = *controls_[i];
        if (!c.IsVisible()) {
            canvas.setClip(c.x(), c.y(), c.width(), c.height());
            c.Erase(canvas);
            canvas.resetClip();
        }
    }
    for (auto& cp : controls_) {
        KControl& c = *cp;
        if (c.IsVisible()) {
            canvas.setClip(c.x(), c.y(), c.width(), c.height());
            c.DrawIfNeeded(canvas);
            canvas.resetClip();
        }
    }
}

void KSkin::ResetCanvas(KCanvas& canvas) {
    canvas.resetClip();
    int w = std::min(canvas.width(), width_);
    int h = std::min(canvas.height(), height_ - kFooterHeight);
    canvas.fillRect(0, 0, w, h, backgroundColour_);
    drawFooter(canvas);
    lastBackground_ = nullptr;
    lastBackgroundPage_ = 0;
    for (auto& c : controls_)
        c->Invalidate();
}

void KSkin::RestoreBackground(KCanvas& canvas) {
    canvas.fillRect(0, 0, canvas.clipW(), canvas.clipH(), backgroundColour_);
    if (lastBackground_ && lastBackground_->image) {
        int frame = lastBackground_->isRange() ? lastBackground_->frameOn(lastBackgroundPage_) : lastBackground_->frame;
        lastBackground_->image->drawFramePart(canvas, frame, canvas.clipX(), canvas.clipY(), canvas.clipW(),
                                              canvas.clipH());
    }
}

int KSkin::hitTest(int x, int y) const {
    for (size_t i = 0; i < controls_.size(); ++i) {
        const KControl& c = *controls_[i];
        if (c.Contains(x, y) && c.IsVisible())
            return static_cast<int>(i);
    }
    return -1;
}

int KSkin::target(int x, int y) const {
    int t = (captured_ >= 0 && captured_ < static_cast<int>(controls_.size())) ? captured_ : hitTest(x, y);
    if (t < 0 || !controls_[t]->IsVisible())
        return -1;
    return t;
}

int KSkin::CursorAt(int x, int y) const {
    int t = target(x, y);
    if (t < 0)
        return kCursorArrow;
    const KControl& c = *controls_[t];
    return c.CursorAt(relative(x, c.x()), relative(y, c.y()));
}

int KSkin::MouseMove(bool shift, int x, int y) {
    int t = target(x, y);
    if (wheelControl_ >= 0 && t != wheelControl_)
        EndWheel();
    if (t >= 0) {
        KControl& c = *controls_[t];
        c.MouseMove(shift, relative(x, c.x()), relative(y, c.y()));
    }
    return CursorAt(x, y);
}

bool KSkin::routeButton(ButtonHandler handler, bool press, bool shift, bool ctrl, int x, int y) {
    if (press)
        EndWheel();
    int t = target(x, y);
    if (t < 0)
        return false;
    KControl& c = *controls_[t];
    if (!(c.*handler)(shift, ctrl, relative(x, c.x()), relative(y, c.y())))
        return false;
    // A press that a control takes captures the mouse for it; a release it
    // answers lets the mouse go.
    captured_ = press ? t : -1;
    return true;
}

bool KSkin::LeftDown(bool shift, bool ctrl, int x, int y) {
    return routeButton(&KControl::LeftDown, true, shift, ctrl, x, y);
}

bool KSkin::LeftUp(bool shift, bool ctrl, int x, int y) {
    return routeButton(&KControl::LeftUp, false, shift, ctrl, x, y);
}

bool KSkin::RightDown(bool shift, bool ctrl, int x, int y) {
    return routeButton(&KControl::RightDown, true, shift, ctrl, x, y);
}

bool KSkin::RightUp(bool shift, bool ctrl, int x, int y) {
    return routeButton(&KControl::RightUp, false, shift, ctrl, x, y);
}

bool KSkin::Wheel(bool shift, double notches, int x, int y) {
    // A held control keeps the mouse to itself.
    if (captured_ >= 0 && captured_ < static_cast<int>(controls_.size()))
        return false;
    const int t = target(x, y);
    if (t != wheelControl_)
        EndWheel();
    if (t < 0)
        return false;
    KControl& c = *controls_[t];
    if (!c.Wheel(shift, notches, relative(x, c.x()), relative(y, c.y())))
        return false;
    wheelControl_ = t;
    lastWheelTick_ = TickCount();
    return true;
}

void KSkin::WheelIdle() {
    if (wheelControl_ >= 0 && static_cast<int32_t>(TickCount() - lastWheelTick_) >= kWheelQuietMs)
        EndWheel();
}

void KSkin::EndWheel() {
    const int t = wheelControl_;
    wheelControl_ = -1;
    if (t >= 0 && t < static_cast<int>(controls_.size()))
        controls_[t]->EndWheel();
}

void KSkin::CaptureLost() {
    EndWheel();
    if (captured_ >= 0 && captured_ < static_cast<int>(controls_.size()))
        controls_[captured_]->CancelCapture();
    captured_ = -1;
}

const KResource* KSkin::findResource(const char* name, const char* className) const {
    if (isNullName(name))
        return nullptr;
    for (const auto& r : resources_)
        if (r->isNamedOfClass(name, className))
            return r.get();
    return nullptr;
}

const KImageResource* KSkin::findImage(const char* name) const {
    return static_cast<const KImageResource*>(findResource(name, "KImageResource"));
}

const KColourResource* KSkin::findColour(const char* name) const {
    return static_cast<const KColourResource*>(findResource(name, "KColourResource"));
}

const KFontResource* KSkin::findFont(const char* name) const {
    return static_cast<const KFontResource*>(findResource(name, "KFontResource"));
}

KCheck* KSkin::findCheckMutable(const char* name) {
    if (!name)
        return nullptr;
    for (auto& c : checks_)
        if (c->isNamed(name))
            return c.get();
    return nullptr;
}

const KCheck* KSkin::findCheck(const char* name) const { return const_cast<KSkin*>(this)->findCheckMutable(name); }

const KDisplayValue* KSkin::findReal(const char* name) const {
    return isNullName(name) ? nullptr : findDisplayValue(effect_, name, KDisplayValueType::Real);
}

const KDisplayValue* KSkin::findInteger(const char* name) const {
    return isNullName(name) ? nullptr : findDisplayValue(effect_, name, KDisplayValueType::Integer);
}

const KDisplayValue* KSkin::findHistory(const char* name) const {
    return isNullName(name) ? nullptr : findDisplayValue(effect_, name, KDisplayValueType::History);
}

int KSkin::findParameter(const char* name) const { return name ? findParameterIndex(effect_, name) : -1; }

int KSkin::findCommand(const char* name) const { return name ? findCommandNumber(effect_, name) : -1; }

void KSkin::setInit(int width, int scriptHeight, int pages) {
    width_ = width;
    // In 64 bits: a huge script height must not wrap into a valid size.
    long long h = static_cast<long long>(scriptHeight) + kFooterHeight;
    height_ = h > 0x7fffffff ? 0 : static_cast<int>(h);
    pageCount_ = pages;
}

void KSkin::addResource(std::unique_ptr<KResource> resource) { resources_.push_back(std::move(resource)); }

void KSkin::addCheck(std::unique_ptr<KCheck> check) { checks_.push_back(std::move(check)); }

const KConditionRef* KSkin::conditionRef(KCheck* check, bool negate) {
    for (const auto& ref : conditionRefs_)
        if (ref->check == check && ref->negate == negate)
            return ref.get();
    conditionRefs_.push_back(std::make_unique<KConditionRef>(KConditionRef{check, negate}));
    return conditionRefs_.back().get();
}

void KSkin::addControl(std::unique_ptr<KControl> control) { controls_.push_back(std::move(control)); }

void KSkin::addBackgroundMap(const KImageResource* image, const KConditionSet& set) {
    if (pageCount_ < 1)
        return;
    addBackground(1, image, 0, set);
    backgrounds_.back()->lastPage = pageCount_;
    backgrounds_.back()->frameFollowsPage = image->frameCount() == pageCount_;
}

void KSkin::addBackground(int page, const KImageResource* image, int frame, const KConditionSet& set) {
    auto bg = std::make_unique<KBackground>();
    bg->page = page;
    bg->image = image;
    bg->frame = frame;
    bg->conditions = set;
    backgrounds_.push_back(std::move(bg));
}

}  // namespace kx
