// The two frames of the background image and the pieces they are made of.
#pragma once

#include "art_layout.h"
#include "art_text.h"
#include "graphics/canvas.h"

namespace kx::art {

// Page 1: the instrument panel with knob bodies, captions and read-out wells.
void drawInstrumentPage(KCanvas& canvas, FontBox& fonts);
// Page 2: the information page.
void drawInfoPage(KCanvas& canvas, FontBox& fonts);

// A raised rounded button face over whatever lies below, for the command
// buttons and the link button; pressed sinks it and shifts the text down.
void drawButtonFace(KCanvas& canvas, FontBox& fonts, const Box& box, const char* line1, const char* line2,
                    bool pressed);

}  // namespace kx::art
