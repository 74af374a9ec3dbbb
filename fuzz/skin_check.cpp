// The skin script parser on arbitrary text with a listener attached, as the
// skin checker runs it: every reason and warning it builds is read through.
// Nothing is painted (the skin target does that), so runs stay quick.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "data/byte_source.h"
#include "instrument/synth_effect.h"
#include "skin/skin.h"
#include "skin/skin_factory.h"
#include "skin/skin_parser.h"

namespace {

using namespace kx;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Touches every byte of what it is told, so that a text built past its end
// or left unterminated shows up under the sanitizers.
class Reader : public KSkinDiagnostics {
public:
    void lineIgnored(int line, const char* text, const char* reason) override { take(line, text, reason); }
    void lineWarning(int line, const char* text, const char* warning) override { take(line, text, warning); }
    void skinRejected(const char* reason) override { take(0, "", reason); }
    size_t total = 0;

private:
    void take(int line, const char* text, const char* message) {
        total += static_cast<size_t>(line) + std::strlen(text) + std::strlen(message);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<KEffect> effect(new SynthEffect(quietHost));
    KMemorySource source(data, size);
    KSkinFactory factory(effect.get());
    factory.setFileFolder("/nonexistent-kelvox2-folder/");  // PngFile names stay off the disk
    Reader reader;
    std::unique_ptr<KSkin> skin = parseSkin(source, effect.get(), &factory, &reader);
    return reader.total == static_cast<size_t>(-1) && skin ? 1 : 0;
}
