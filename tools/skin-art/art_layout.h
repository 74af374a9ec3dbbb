// Where everything sits on the default skin's images. The dial, read-out,
// button and tab rectangles must match the embedded skin script exactly;
// the rest (section boxes, captions) is free and arranged around them.
#pragma once

#include <array>

namespace kx::art {

struct Box {
    int x, y, w, h;
};

constexpr int kFrameW = 665;
constexpr int kFrameH = 395;

// A dial control is a 40 x 40 square; its read-out sits 10 left, 45 below.
constexpr int kDialSize = 40;
constexpr Box valueWell(int dialX, int dialY) { return {dialX - 10, dialY + 45, 60, 15}; }

struct DialSpot {
    int x, y;
    const char* caption;  // printed above the dial
    bool bipolar;         // the middle of the sweep is the neutral setting
    int ticks = 11;       // marks around the sweep; a stepped setting gets one per step
};

// Columns of the oscillator rows, left to right.
constexpr int kWaveX = 70, kPartialX = 135, kDetuneX = 200, kAttackX = 265, kReleaseX = 330, kPortaX = 395,
              kNoiseX = 460, kLevelX = 525;
constexpr std::array<int, 3> kOscRowY = {130, 225, 320};

constexpr std::array<DialSpot, 3> kGlobalDials = {{
    {320, 35, "Bend Amt", false},
    {395, 35, "Porta Rst", false},
    {525, 35, "Main Lvl", false},
}};

constexpr std::array<DialSpot, 4> kLfoDials = {{
    {600, 65, "Wave", false, 6},
    {600, 150, "Rate", false},
    {600, 235, "Phase", false},
    {600, 320, "Depth", false},
}};

// One oscillator row; the first oscillator has no Partial dial.
constexpr std::array<DialSpot, 8> oscRow(int y) {
    return {{
        {kWaveX, y, "Wave", false, 4},
        {kPartialX, y, "Partial", false, 6},
        {kDetuneX, y, "Detune", true},
        {kAttackX, y, "Attack", false},
        {kReleaseX, y, "Release", false},
        {kPortaX, y, "Porta", false},
        {kNoiseX, y, "Noise", false},
        {kLevelX, y, "Level", false},
    }};
}

// Controls drawn by their own images or by the skin.
constexpr Box kPartRndButton = {15, 70, 85, 20};
constexpr Box kFullRndButton = {105, 70, 85, 20};
constexpr Box kAutoLvlButton = {455, 60, 50, 35};
constexpr Box kSynthTab = {188, 3, 44, 16};
constexpr Box kInfoTab = {243, 3, 44, 16};

// Link areas of the information page.
constexpr Box kLogoArea = {0, 0, 165, 55};
constexpr Box kLinkButton = {560, 75, 85, 30};

// Section boxes of the instrument page.
constexpr Box kGlobalBox = {298, 12, 282, 88};
// A small scope with a waveform, between the patch buttons and the globals.
constexpr Box kScope = {205, 28, 86, 72};
constexpr Box kPatchBox = {8, 61, 189, 39};
constexpr Box kLfoBox = {585, 40, 71, 346};
constexpr std::array<Box, 3> kOscBox = {{
    {8, 107, 572, 88},
    {8, 202, 572, 88},
    {8, 297, 572, 89},
}};

// The information page: one calm panel behind the label lines.
constexpr Box kInfoPanel = {8, 64, 649, 322};
constexpr std::array<int, 10> kInfoLineY = {75, 95, 120, 145, 185, 210, 235, 260, 285, 350};

}  // namespace kx::art
