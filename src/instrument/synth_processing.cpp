// The instrument's audio side: both audio callbacks, MIDI messages and the
// engine's resets. Everything here runs on the host's audio thread (the
// resets while processing is stopped) and allocates nothing.
#include "engine/cpu_path.h"
#include "instrument/denormal_guard.h"
#include "instrument/synth_effect.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kx {

namespace {

constexpr int kRenderChunk = 256;  // samples rendered into the stack at a time

// The channel-mode controllers a host sends for its panic.
constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;

// Float output rounds each sample; many at a time in vector lanes.
KX_VECTOR_CLONES
void copySamples(float* to, const double* from, int count) {
    for (int i = 0; i < count; ++i)
        to[i] = static_cast<float>(from[i]);
}

void copySamples(double* to, const double* from, int count) {
    std::memcpy(to, from, sizeof(double) * static_cast<std::size_t>(count));
}

}  // namespace

void SynthEffect::engineSampleRateChanged(double rate) {
    // A rate that is not a positive number would turn every time constant
    // and phase step of the engine into infinities or NaN: the voice keeps
    // the rate it has.
    if (!(rate > 0.0) || !std::isfinite(rate))
        return;
    voice_.resetForSampleRate(rate);
}

template <typename Sample>
void SynthEffect::renderBlock(Sample* output, VstInt32 sampleFrames) {
    DenormalGuard flushDenormals;

    constexpr VstInt32 kWanted = kVstPpqPosValid | kVstTempoValid;
    if (const VstTimeInfo* info = getTimeInfo(kWanted); info && (info->flags & kWanted) == kWanted)
        voice_.lfo.syncToHost((info->flags & kVstTransportPlaying) != 0, info->ppqPos, info->tempo);

    double rendered[kRenderChunk];
    VstInt32 i = 0;
    while (i < sampleFrames) {
        // Events act at the start of the sample whose count since the last
        // processEvents equals their deltaFrames; delivery stops at the
        // first one that does not match, so they must come sorted.
        while (queue_.hasEvent() && queue_.front().deltaFrames == queue_.sampleCounter) {
            if (queue_.eventTarget)
                queue_.eventTarget->processMidiEvent(&queue_.front());
            queue_.pop();
        }
        // The voice runs on its own up to the next sample that delivers an
        // event (an event whose count has passed waits for good).
        std::int64_t run = std::min<std::int64_t>(sampleFrames - i, kRenderChunk);
        if (queue_.hasEvent() && queue_.front().deltaFrames > queue_.sampleCounter)
            run = std::min<std::int64_t>(run, std::int64_t{queue_.front().deltaFrames} - queue_.sampleCounter);
        const int n = static_cast<int>(run);
        // Each stretch claims its draws from the process-wide generator at
        // once: blocks rendered on other threads at the same time draw
        // other parts of the sequence.
        voice_.render(rendered, n);
        if (output)
            copySamples(output + i, rendered, n);
        // Saturates rather than overflowing when a host never sends events.
        queue_.sampleCounter =
            static_cast<int>(std::min<std::int64_t>(INT_MAX, std::int64_t{queue_.sampleCounter} + n));
        i += n;
    }
}

void SynthEffect::processReplacing(float**, float** outputs, VstInt32 sampleFrames) {
    renderBlock(outputs ? outputs[0] : nullptr, sampleFrames);
}

void SynthEffect::processDoubleReplacing(double**, double** outputs, VstInt32 sampleFrames) {
    renderBlock(outputs ? outputs[0] : nullptr, sampleFrames);
}

void SynthEffect::processMidiEvent(const VstMidiEvent* event) {
    if (!event)
        return;
    const int status = static_cast<unsigned char>(event->midiData[0]) & 0xF0;  // any channel
    const int data1 = event->midiData[1] & 0x7F;
    const int data2 = event->midiData[2] & 0x7F;
    if (status == 0x80 || status == 0x90) {
        if (status == 0x90 && data2 > 0)
            voice_.noteOn(data1);
        else
            voice_.noteOff(data1);  // velocity 0 is a release
    } else if (status == 0xE0) {
        voice_.setPitchBend((data2 - 64) * 128 + data1);
    } else if (status == 0xB0) {
        // A host's panic; every other controller is ignored.
        if (data1 == kAllSoundOff)
            voice_.allSoundOff();
        else if (data1 == kAllNotesOff)
            voice_.allNotesOff();
    }
}

void SynthEffect::resume() {
    // A host that only creates, asks and closes instances never pays for the
    // tables; until they exist a table wave plays silence.
    WaveTableSet::instance();
    KEffect::resume();
}

void SynthEffect::resetEngine() {
    queue_.clear();
    voice_.releaseAll();
    parametersChanged(0);
}

}  // namespace kx
