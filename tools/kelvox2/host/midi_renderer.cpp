#include "midi_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kx {

namespace {
// effSetProcessPrecision values
constexpr VstIntPtr kPrecision32 = 0;
constexpr VstIntPtr kPrecision64 = 1;
}  // namespace

static_assert(sizeof(VstEvents) == 2 * sizeof(void*) + 2 * sizeof(VstEvent*),
              "the event list is laid out as two header slots and the pointers");

MidiRenderer::MidiRenderer(AEffect* effect, VstTimeInfo& clock, const MidiSong& song,
                           const RenderSettings& settings)
    : effect_(effect), clock_(clock), schedule_(song, settings.sampleRate), settings_(settings) {
    numInputs_ = std::max(effect->numInputs, 0);
    numOutputs_ = std::max(effect->numOutputs, 0);
    int64_t tail = static_cast<int64_t>(std::ceil(std::max(settings.tailSeconds, 0.0) * settings.sampleRate));
    totalFrames_ = schedule_.songFrames() + tail;

    // Inputs (if any) are silent; every channel gets its own block.
    size_t block = size_t(std::max(settings.blockSize, 1));
    size_t channelsTotal = size_t(numInputs_ + numOutputs_);
    if (settings.doublePrecision) {
        doubleData_.assign(channelsTotal * block, 0.0);
        for (int c = 0; c < numInputs_; ++c) doubleIn_.push_back(&doubleData_[size_t(c) * block]);
        for (int c = 0; c < numOutputs_; ++c) doubleOut_.push_back(&doubleData_[size_t(numInputs_ + c) * block]);
    } else {
        floatData_.assign(channelsTotal * block, 0.0f);
        for (int c = 0; c < numInputs_; ++c) floatIn_.push_back(&floatData_[size_t(c) * block]);
        for (int c = 0; c < numOutputs_; ++c) floatOut_.push_back(&floatData_[size_t(numInputs_ + c) * block]);
    }
    // Never hand a plug-in a null channel array, even with no channels.
    floatIn_.push_back(nullptr);
    floatOut_.push_back(nullptr);
    doubleIn_.push_back(nullptr);
    doubleOut_.push_back(nullptr);
    midiEvents_.reserve(kMaxEventsPerBlock);
    eventList_.reserve(kMaxEventsPerBlock + 2);
}

bool MidiRenderer::start(std::string& error) {
    if (settings_.doublePrecision && !(effect_->flags & effFlagsCanDoubleReplacing)) {
        error = "the plug-in cannot process in double precision";
        return false;
    }
    if (!settings_.doublePrecision && !(effect_->flags & effFlagsCanReplacing)) {
        error = "the plug-in has no processReplacing";
        return false;
    }
    AEffectDispatcherProc d = effect_->dispatcher;
    d(effect_, effSetSampleRate, 0, 0, nullptr, float(settings_.sampleRate));
    d(effect_, effSetBlockSize, 0, settings_.blockSize, nullptr, 0.0f);
    d(effect_, effSetProcessPrecision, 0, settings_.doublePrecision ? kPrecision64 : kPrecision32,
      nullptr, 0.0f);
    d(effect_, effMainsChanged, 0, 1, nullptr, 0.0f);
    d(effect_, effStartProcess, 0, 0, nullptr, 0.0f);
    started_ = true;
    return true;
}

void MidiRenderer::stop() {
    if (!started_) return;
    effect_->dispatcher(effect_, effStopProcess, 0, 0, nullptr, 0.0f);
    effect_->dispatcher(effect_, effMainsChanged, 0, 0, nullptr, 0.0f);
    started_ = false;
}

void MidiRenderer::updateClock() {
    SongClock c = schedule_.clockAt(position_);
    clock_.samplePos = c.samplePos;
    clock_.sampleRate = settings_.sampleRate;
    clock_.ppqPos = c.ppqPos;
    clock_.tempo = c.tempo;
    clock_.barStartPos = c.barStartPos;
    clock_.timeSigNumerator = c.numerator;
    clock_.timeSigDenominator = c.denominator;
    clock_.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    if (position_ == 0) clock_.flags |= kVstTransportChanged;
}

void MidiRenderer::sendEvents(const std::vector<BlockEvent>& events) {
    midiEvents_.assign(events.size(), VstMidiEvent{});
    eventList_.assign(events.size() + 2, nullptr);
    for (size_t i = 0; i < events.size(); ++i) {
        VstMidiEvent& m = midiEvents_[i];
        m.type = kVstMidiType;
        m.byteSize = sizeof(VstMidiEvent);
        m.deltaFrames = events[i].deltaFrames;
        std::memcpy(m.midiData, events[i].data, 3);
        eventList_[i + 2] = &m;
    }
    VstEvents* list = reinterpret_cast<VstEvents*>(eventList_.data());
    list->numEvents = static_cast<VstInt32>(events.size());
    list->reserved = 0;
    effect_->dispatcher(effect_, effProcessEvents, 0, 0, list, 0.0f);
}

int MidiRenderer::renderBlock() {
    if (position_ >= totalFrames_) return 0;
    int maxFrames = int(std::min<int64_t>(settings_.blockSize, totalFrames_ - position_));
    // The schedule already sorts each block's events by frame, stable for equal frames.
    int frames = schedule_.nextBlock(maxFrames, kMaxEventsPerBlock, blockEvents_);
    updateClock();
    sendEvents(blockEvents_);
    if (settings_.doublePrecision)
        effect_->processDoubleReplacing(effect_, doubleIn_.data(), doubleOut_.data(), frames);
    else
        effect_->processReplacing(effect_, floatIn_.data(), floatOut_.data(), frames);
    position_ += frames;
    return frames;
}

}  // namespace kx
