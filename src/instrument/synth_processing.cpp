// The instrument's sound: processing loops, MIDI handling, engine reset,
// parameter application and patch commands. This version renders silence
// until the engine is wired in; the engine replaces this file as a whole.
#include "instrument/synth_effect.h"

namespace kx {

void SynthEffect::engineSampleRateChanged(double) {}

void SynthEffect::processReplacing(float**, float** outputs, VstInt32 sampleFrames) {
    for (VstInt32 i = 0; i < sampleFrames; ++i)
        outputs[0][i] = 0.0f;
}

void SynthEffect::processDoubleReplacing(double**, double** outputs, VstInt32 sampleFrames) {
    for (VstInt32 i = 0; i < sampleFrames; ++i)
        outputs[0][i] = 0.0;
}

void SynthEffect::processMidiEvent(const VstMidiEvent*) {}

void SynthEffect::executeCommand(int, bool, bool) {}

void SynthEffect::resetEngine() {
    queue_.clear();
    parametersChanged(0);
}

void SynthEffect::parametersChanged(int) {}

}  // namespace kx
