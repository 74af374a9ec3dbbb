// The pages as the editor paints them over the background, for checking by eye
// that dots, read-outs, buttons and labels land where the art expects them.
#pragma once

#include "art_text.h"
#include "graphics/image.h"

namespace kx::art {

struct ButtonImages {
    const KImage* partRandom;
    const KImage* fullRandom;
    const KImage* autoLevel;
};

KImage previewInstrumentPage(const KImage& background, const ButtonImages& buttons, FontBox& fonts);
KImage previewInfoPage(const KImage& background, FontBox& fonts);

}  // namespace kx::art
