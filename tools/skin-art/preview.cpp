#include "preview.h"

#include <cmath>
#include <numbers>

#include "art_layout.h"
#include "painter.h"

namespace kx::art {

namespace {

// The skin's own colours and fonts.
constexpr KColour kValueColour{220, 240, 255, 255};
constexpr KColour kDotColour{40, 40, 50, 255};
constexpr KColour kLabelColour{180, 190, 200, 255};
constexpr KColour kPageHighlight{230, 240, 250, 20};
constexpr KColour kDialHighlight{255, 255, 255, 60};

struct Sample {
    int x, y;
    double value;
    const char* text;
};

// Plausible settings with their longest read-outs.
constexpr Sample kSamples[] = {
    {320, 35, 0.5, "6.0 semis"},  {395, 35, 0.2, "1.1 s"},      {525, 35, 0.237, "-12.5 dB"},
    {70, 130, 0.0, "Sine"},       {200, 130, 0.0, "-99 cents"}, {265, 130, 0.1, "0.21 s"},
    {330, 130, 1.0, "2.00 s"},    {395, 130, 0.0, "0.00 s"},    {460, 130, 0.0, "-Inf dB"},
    {525, 130, 1.0, "0.0 dB"},    {70, 225, 1.0, "Sawtooth"},   {135, 225, 0.4, "3"},
    {200, 225, 0.5, "0 cents"},   {265, 225, 0.3, "0.61 s"},    {330, 225, 0.6, "1.20 s"},
    {395, 225, 0.25, "0.25 s"},   {460, 225, 0.5, "-6.0 dB"},   {525, 225, 0.75, "-2.5 dB"},
    {70, 320, 0.67, "Square"},    {135, 320, 1.0, "6"},         {200, 320, 1.0, "99 cents"},
    {265, 320, 0.9, "1.80 s"},    {330, 320, 0.05, "0.11 s"},   {395, 320, 0.8, "0.80 s"},
    {460, 320, 0.1, "-20.0 dB"},  {525, 320, 0.4, "-8.0 dB"},   {600, 65, 0.8, "Falling"},
    {600, 150, 0.1, "4 per bar"}, {600, 235, 0.5, "180 deg"},   {600, 320, 0.33, "33 %"},
};

// The default skin's label lines, with the variables filled in as a host would.
constexpr const char* kInfoLines[] = {
    "Tamlow Kelvox2 1.2.4 ~ 3-oscillator monophonic synth",
    "Build ~ 1204 ~ Linux x86-64 ~ Dec  7 2026",
    "Kelvox2 is free to use in your music; please share it only from the Tamlow site",
    "Host: 48000 Hz ~ SomeVendor SomeHost",
    "Full Random completely randomizes the parameters",
    "Part Random is constrained to give more tuneful results",
    "Auto Level sets the Main Level for maximum volume without clipping",
    "Bend Amt controls the range covered by the MIDI pitch-bend control",
    "Porta Rst sets the time between key-presses before portamento is reset",
    "More instruments and effects from Tamlow: tamlow.example/plugins",
};

KCanvas pageCanvas(const KImage& background, int frame) {
    KCanvas canvas(kFrameW, kFrameH);
    canvas.blitImage(background, KRect{frame * kFrameW, 0, kFrameW, kFrameH}, KPoint{0, 0});
    return canvas;
}

KImage toImage(KCanvas& canvas) {
    KImage image;
    canvas.resetClip();
    canvas.copyToImage(canvas.width(), canvas.height(), image);
    image.width = canvas.width();
    image.height = canvas.height();
    return image;
}

// Frame 0 or 1 of a two-frame button image at its place.
void placeButton(KCanvas& canvas, const KImage& image, const Box& at, int frame) {
    canvas.blitImage(image, KRect{frame * at.w, 0, at.w, at.h}, KPoint{at.x, at.y});
}

}  // namespace

KImage previewInstrumentPage(const KImage& background, const ButtonImages& buttons, FontBox& fonts) {
    KCanvas canvas = pageCanvas(background, 0);
    placeButton(canvas, *buttons.partRandom, kPartRndButton, 0);
    placeButton(canvas, *buttons.fullRandom, kFullRndButton, 1);
    placeButton(canvas, *buttons.autoLevel, kAutoLvlButton, 0);

    const KFont* valueFont = fonts.get(14, kValueColour);
    bool first = true;
    for (const Sample& s : kSamples) {
        // As a dial control draws itself, clipped to its square; the first one is held.
        canvas.setClip(s.x, s.y, kDialSize, kDialSize);
        const double c = kDialSize * 0.5;
        if (first)
            canvas.drawDot(c, c, (kDialSize - 1) * 0.5, kDialHighlight);
        const double theta = s.value * 1.5 * std::numbers::pi + std::numbers::pi / 4;
        canvas.drawDot(c - 11 * std::sin(theta), c + 11 * std::cos(theta), 2, kDotColour);
        const Box well = valueWell(s.x, s.y);
        canvas.setClip(well.x, well.y, well.w, well.h);
        canvas.drawText(s.text, 0, 0, well.w, well.h, valueFont, 1);
        first = false;
    }
    canvas.setClip(kSynthTab.x, kSynthTab.y, kSynthTab.w, kSynthTab.h);
    canvas.blendRect(0, 0, kSynthTab.w, kSynthTab.h, kPageHighlight);
    return toImage(canvas);
}

KImage previewInfoPage(const KImage& background, FontBox& fonts) {
    KCanvas canvas = pageCanvas(background, 1);
    const KFont* labelFont = fonts.get(15, kLabelColour);
    for (size_t i = 0; i < std::size(kInfoLines); ++i) {
        const int y = kInfoLineY[i];
        const int w = i == 9 ? 595 : (y < kLinkButton.y + kLinkButton.h ? 535 : 625);
        canvas.setClip(20, y, w, 20);
        canvas.drawText(kInfoLines[i], 0, 0, w, 20, labelFont, 0);
    }
    return toImage(canvas);
}

}  // namespace kx::art
