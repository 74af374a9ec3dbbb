#include "panel_art.h"

#include <cmath>
#include <numbers>

#include "painter.h"
#include "palette.h"

namespace kx::art {

namespace {

using namespace palette;

constexpr double kPi = std::numbers::pi;

void drawPanelBase(Painter& p) {
    KCanvas& c = p.canvas();
    for (int y = 0; y < kFrameH; ++y)
        c.fillRect(0, y, kFrameW, 1, mix(kPanelTop, kPanelBottom, y / double(kFrameH - 1)));
    // A faint sheen along the top edge, as if lit from above.
    for (int y = 0; y < 3; ++y)
        c.blendRect(0, y, kFrameW, 1, rgb(255, 255, 255, 18 - 6 * y));
}

void drawTitle(Painter& p, FontBox& fonts) {
    KCanvas& c = p.canvas();
    drawText(c, "Kelvox2", {14, 5, 150, 30}, fonts.get(27, kTitle, true), 0);
    // The maker's name under the product name, right-aligned with it, led in by a rule.
    const int width = inkWidth("Kelvox2", 27, true, fonts);
    const int makerWidth = inkWidth("TAMLOW", 10, true, fonts);
    drawText(c, "TAMLOW", {14, 36, width, 13}, fonts.get(10, kAccent, true), 2);
    const double ruleEnd = 14 + width - makerWidth - 7;
    p.fill({14, 40, width, 6}, segment(15.5, 42.5, ruleEnd, 42.5, 0.5), withAlpha(kAccent, 110));
}

void drawTab(Painter& p, FontBox& fonts, const Box& b, const char* text, bool active) {
    const Box area{b.x - 1, b.y - 1, b.w + 2, b.h + 3};
    p.fill(area, roundRect(b.x, b.y + 1, b.w, b.h, 4), kBoxShadow, 1.5);
    p.fill(area, roundRect(b.x, b.y, b.w, b.h, 4),
           active ? vertical(kTabActiveTop, kTabActiveBottom, b.y, b.y + b.h)
                  : vertical(kTabTop, kTabBottom, b.y, b.y + b.h));
    p.fill(area, outline(roundRect(b.x + 0.5, b.y + 0.5, b.w - 1, b.h - 1, 3.5), 0.5),
           active ? rgb(150, 200, 240, 150) : rgb(150, 170, 200, 60));
    drawText(p.canvas(), text, b, fonts.get(11, active ? kTitle : kTabText, active), 1);
}

void drawTabs(Painter& p, FontBox& fonts, int page) {
    drawTab(p, fonts, kSynthTab, "Synth", page == 1);
    drawTab(p, fonts, kInfoTab, "Info", page == 2);
}

// A framed section; a legend, when given, sits in a gap of the top border.
void drawSection(Painter& p, FontBox& fonts, const Box& b, const char* legend) {
    const Box area{b.x - 2, b.y - 2, b.w + 4, b.h + 5};
    p.fill(area, roundRect(b.x, b.y + 1.5, b.w, b.h, 7), kBoxShadow, 2.0);
    p.fill(area, roundRect(b.x, b.y, b.w, b.h, 7), vertical(rgb(255, 255, 255, 14), kBoxFill, b.y, b.y + 30));
    Shape border = outline(roundRect(b.x + 0.5, b.y + 0.5, b.w - 1, b.h - 1, 6.5), 0.5);
    if (legend) {
        const int width = inkWidth(legend, 11, true, fonts);
        const int lx = b.x + 12;
        border = cutOut(border, roundRect(lx - 5, b.y - 4, width + 10, 9, 0));
        drawText(p.canvas(), legend, {lx, b.y - 6, width + 2, 13}, fonts.get(11, kAccent, true), 0);
    }
    p.fill(area, border, kBoxBorder);
}

// The knob body under a dial control: tick ring, shadow, and a light face
// on which the control's dark dot stands out. The control places its dot at
// the angle v * 1.5 pi + pi / 4 around the square's centre, 11 pixels out.
void drawKnob(Painter& p, int x, int y, bool bipolar, int ticks) {
    const double cx = x + kDialSize * 0.5, cy = y + kDialSize * 0.5;
    const Box area{x, y, kDialSize, kDialSize};
    const int last = ticks - 1;
    const bool stepped = ticks < 8;
    for (int i = 0; i <= last; ++i) {
        const double theta = i / double(last) * 1.5 * kPi + kPi / 4;
        const double sx = -std::sin(theta), sy = std::cos(theta);
        const bool major = stepped || i == 0 || i == last || 2 * i == last;
        const double r0 = major ? 15.8 : 16.4, r1 = major ? 19.2 : 18.6;
        KColour colour = major ? kTickMajor : kTick;
        if (bipolar && 2 * i == last)
            colour = kAccent;
        p.fill(area, segment(cx + r0 * sx, cy + r0 * sy, cx + r1 * sx, cy + r1 * sy, major ? 0.7 : 0.55), colour);
    }
    p.fill(area, circle(cx, cy + 1.2, 15.2), rgb(0, 0, 0, 150), 2.5);
    // Lit from the upper left: the face darkens towards the lower right.
    p.fill(area, circle(cx, cy, 14.6), [=](double px, double py) {
        const double t = ((px - cx) * 0.45 + (py - cy) * 0.9) / 14.6;
        return mix(kKnobLight, kKnobDark, 0.5 + 0.55 * t);
    });
    p.fill(area, outline(circle(cx, cy, 14.1), 0.6), withAlpha(kKnobRim, 170));
    // A shallow cap inside the skirt, its edge lit on the lower side.
    p.fill(area, outline(circle(cx, cy, 7.5), 0.55),
           [=](double, double py) { return py < cy ? rgb(90, 96, 110, 70) : rgb(255, 255, 255, 120); });
}

void drawWell(Painter& p, const Box& b) {
    const Box area{b.x - 1, b.y - 1, b.w + 2, b.h + 2};
    p.fill(area, roundRect(b.x, b.y, b.w, b.h, 3.5), kWellFill);
    // Sunk into the panel: shaded along the top edge, lit along the bottom.
    p.fill(area,
           cutOut(outline(roundRect(b.x + 0.5, b.y + 0.5, b.w - 1, b.h - 1, 3), 0.5),
                  roundRect(b.x - 1, b.y + b.h * 0.5, b.w + 2, b.h, 0)),
           kWellShade);
    p.fill(area,
           cutOut(outline(roundRect(b.x - 0.5, b.y - 0.5, b.w + 1, b.h + 1, 4), 0.5),
                  roundRect(b.x - 2, b.y - 2, b.w + 4, b.h * 0.5 + 2, 0)),
           kWellLight);
}

void drawDial(Painter& p, FontBox& fonts, const DialSpot& d) {
    drawText(p.canvas(), d.caption, {d.x - 12, d.y - 15, 64, 14}, fonts.get(13, kCaption), 1);
    drawKnob(p, d.x, d.y, d.bipolar, d.ticks);
    drawWell(p, valueWell(d.x, d.y));
}

// The first oscillator sounds at the fundamental: its Partial slot says so.
void drawFixedPartial(Painter& p, FontBox& fonts, int x, int y) {
    drawText(p.canvas(), "Partial", {x - 12, y - 15, 64, 14}, fonts.get(13, kDim), 1);
    const double cx = x + kDialSize * 0.5, cy = y + kDialSize * 0.5;
    p.fill({x, y, kDialSize, kDialSize}, outline(circle(cx, cy, 14.5), 0.6), withAlpha(kDim, 150));
    drawText(p.canvas(), "1", {x, y, kDialSize, kDialSize}, fonts.get(15, kDim, true), 1);
    drawText(p.canvas(), "fixed", valueWell(x, y), fonts.get(11, kDim), 1);
}

void drawOscillator(Painter& p, FontBox& fonts, int index) {
    const Box& b = kOscBox[size_t(index)];
    drawSection(p, fonts, b, nullptr);
    const int y = kOscRowY[size_t(index)];
    // The heading stands in the strip left of the Wave read-out.
    drawText(p.canvas(), "OSC", {b.x, y - 2, 52, 12}, fonts.get(11, kAccent, true), 1);
    const char digit[2] = {char('1' + index), 0};
    drawText(p.canvas(), digit, {b.x, y + 10, 52, 34}, fonts.get(28, kTitle, true), 1);
    for (const DialSpot& d : oscRow(y)) {
        if (index == 0 && d.x == kPartialX)
            drawFixedPartial(p, fonts, d.x, d.y);
        else
            drawDial(p, fonts, d);
    }
}

// A glowing trace of three detuned partials, as a scope would show the voice.
void drawScope(Painter& p) {
    const Box& b = kScope;
    drawWell(p, b);
    const Box inner{b.x + 1, b.y + 1, b.w - 2, b.h - 2};
    for (int gx = b.x + 10; gx < b.x + b.w - 4; gx += 11)
        p.fill(inner, segment(gx + 0.5, b.y + 3, gx + 0.5, b.y + b.h - 3, 0.5), rgb(120, 150, 190, 22));
    for (int gy = b.y + 9; gy < b.y + b.h - 4; gy += 11)
        p.fill(inner, segment(b.x + 3, gy + 0.5, b.x + b.w - 3, gy + 0.5, 0.5), rgb(120, 150, 190, 22));
    const double mid = b.y + b.h * 0.5, amp = b.h * 0.34;
    std::vector<double> trace;
    for (double x = b.x + 5; x <= b.x + b.w - 5; x += 0.75) {
        const double t = (x - b.x - 5) / (b.w - 10) * 2 * 2 * kPi;
        const double v = 0.62 * std::sin(t) + 0.25 * std::sin(2 * t + 0.7) + 0.13 * std::sin(3 * t + 1.9);
        trace.push_back(x);
        trace.push_back(mid - amp * v / 0.9);
    }
    p.fill(inner, polyline(trace, 2.6), withAlpha(kAccent, 40), 2.5);
    p.fill(inner, polyline(trace, 0.7), rgb(190, 228, 255));
}

void drawInstrumentSections(Painter& p, FontBox& fonts) {
    drawScope(p);
    drawSection(p, fonts, kPatchBox, "PATCH");
    drawSection(p, fonts, kGlobalBox, "GLOBAL");
    for (const DialSpot& d : kGlobalDials)
        drawDial(p, fonts, d);
    drawSection(p, fonts, kLfoBox, "LFO");
    for (const DialSpot& d : kLfoDials)
        drawDial(p, fonts, d);
    for (int i = 0; i < 3; ++i)
        drawOscillator(p, fonts, i);
}

void drawFrameCommon(Painter& p, FontBox& fonts, int page) {
    drawPanelBase(p);
    drawTitle(p, fonts);
    drawTabs(p, fonts, page);
}

}  // namespace

void drawButtonFace(KCanvas& canvas, FontBox& fonts, const Box& b, const char* line1, const char* line2, bool pressed) {
    Painter p(canvas);
    const Box area{b.x, b.y, b.w, b.h};
    // The dark edge is the outer pixel, so the face fits the button's rectangle.
    p.fill(area, roundRect(b.x, b.y, b.w, b.h, 4.5), kButtonEdge);
    const Shape face = roundRect(b.x + 1, b.y + 1, b.w - 2, b.h - 2, 3.5);
    if (pressed) {
        p.fill(area, face, vertical(kButtonPressedTop, kButtonPressedBottom, b.y, b.y + b.h));
        p.fill(area, outline(roundRect(b.x + 1.5, b.y + 1.5, b.w - 3, b.h - 3, 3), 0.5), withAlpha(kAccent, 150));
    } else {
        p.fill(area, face, vertical(kButtonTop, kButtonBottom, b.y, b.y + b.h));
        p.fill(area,
               cutOut(outline(roundRect(b.x + 1.5, b.y + 1.5, b.w - 3, b.h - 3, 3), 0.5),
                      roundRect(b.x, b.y + 4, b.w, b.h, 0)),
               rgb(255, 255, 255, 60));
    }
    const int shift = pressed ? 1 : 0;
    // One-line labels run nearly the button's width: a size smaller keeps a margin.
    const KFont* font = fonts.get(line2 ? 12 : 11, pressed ? kAccent : kButtonText, true);
    if (line2) {
        const int half = b.h / 2;
        drawText(canvas, line1, {b.x, b.y + shift + 1, b.w, half}, font, 1);
        drawText(canvas, line2, {b.x, b.y + shift + half - 1, b.w, half}, font, 1);
    } else {
        drawText(canvas, line1, {b.x, b.y + shift, b.w, b.h}, font, 1);
    }
}

void drawInstrumentPage(KCanvas& canvas, FontBox& fonts) {
    Painter p(canvas);
    drawFrameCommon(p, fonts, 1);
    drawInstrumentSections(p, fonts);
}

void drawInfoPage(KCanvas& canvas, FontBox& fonts) {
    Painter p(canvas);
    drawFrameCommon(p, fonts, 2);
    const Box& b = kInfoPanel;
    p.fill({b.x - 2, b.y - 2, b.w + 4, b.h + 5}, roundRect(b.x, b.y, b.w, b.h, 8), kInfoFill);
    p.fill({b.x - 2, b.y - 2, b.w + 4, b.h + 5}, outline(roundRect(b.x + 0.5, b.y + 0.5, b.w - 1, b.h - 1, 7.5), 0.5),
           kBoxBorder);
    // Rules between the groups of lines: about, host, help, and the closing line.
    for (int y : {174, 331})
        p.fill({b.x, y - 1, b.w, 3}, segment(24, y + 0.5, 641, y + 0.5, 0.5), rgb(150, 170, 200, 45));
    // Marks beside the help lines.
    for (size_t i = 4; i < 9; ++i) {
        const double cy = kInfoLineY[i] + 10.5;
        p.fill({10, int(cy) - 4, 8, 8}, circle(13.5, cy, 1.6), withAlpha(kAccent, 200));
    }
    drawButtonFace(canvas, fonts, kLinkButton, "More", "Plug-ins", false);
}

}  // namespace kx::art
