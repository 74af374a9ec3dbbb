// The skin script parser on arbitrary text, with the built-in images and the
// instrument's parameters and commands to refer to; every small parsed skin
// is also painted and poked, so that what the script declares is exercised.
// The seeds use the small button images: decoding the large background on
// every run would leave the fuzzer little time for anything else. Runs keep
// what the process has made already (decoded images, font matches, the last
// canvas when the next skin has its size), as an editor that is opened again
// does.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "data/byte_source.h"
#include "graphics/canvas.h"
#include "instrument/synth_effect.h"
#include "skin/skin.h"
#include "skin/skin_parser.h"

namespace {

using namespace kx;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<KEffect> effect(new SynthEffect(quietHost));
    KMemorySource source(data, size);
    std::unique_ptr<KSkin> skin = parseSkin(source, effect.get());
    if (!skin)
        return 0;
    // Paint small skins only, so that runs stay quick; the parser accepts
    // any size and painting is bounded by the canvas anyway.
    if (skin->width() > 400 || skin->height() > 300)
        return 0;
    skin->WindowOpened();
    // Resetting the canvas paints every pixel of it, so a canvas of the same
    // size from an earlier run leaves nothing of that run behind.
    static std::unique_ptr<KCanvas> reused;
    if (!reused || reused->width() != skin->width() || reused->height() != skin->height())
        reused = std::make_unique<KCanvas>(skin->width(), skin->height());
    KCanvas& canvas = *reused;
    skin->ResetCanvas(canvas);
    skin->Paint(canvas);
    // A few gestures over the whole area, painted in turn mid-drag and after
    // a page change: one paint per gesture keeps each run cheap.
    for (int i = 0; i < 8; ++i) {
        int x = (i * 97) % (skin->width() + 1), y = (i * 53) % (skin->height() + 1);
        skin->LeftDown(i & 1, i & 2, x, y);
        skin->MouseMove(i & 1, x + 7, y - 13);
        if (!(i & 1))
            skin->Paint(canvas);
        if (i == 5)
            skin->CaptureLost();
        skin->LeftUp(false, false, x + 7, y - 13);
        skin->SetPage(i);
        if (i & 1)
            skin->Paint(canvas);
    }
    return 0;
}
