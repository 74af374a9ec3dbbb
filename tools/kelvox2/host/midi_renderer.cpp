#include "midi_renderer.h"

#include "sounding_notes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kx {

namespace {

MidiSong withSoundingNotesEnded(const MidiSong& song) {
    MidiSong ended = song;
    endSoundingNotes(ended);
    return ended;
}

}  // namespace

MidiRenderer::MidiRenderer(PluginHost& host, const MidiSong& song, const RenderSettings& settings)
    : host_(host), song_(withSoundingNotesEnded(song)), schedule_(song_, settings.sampleRate), settings_(settings) {
    numInputs_ = std::max(host.effect()->numInputs, 0);
    numOutputs_ = std::max(host.effect()->numOutputs, 0);
    int64_t tail = static_cast<int64_t>(std::ceil(std::max(settings.tailSeconds, 0.0) * settings.sampleRate));
    totalFrames_ = schedule_.songFrames() + tail;

    // Inputs (if any) are silent; every channel gets its own block.
    size_t block = size_t(std::max(settings.blockSize, 1));
    size_t channelsTotal = size_t(numInputs_ + numOutputs_);
    if (settings.doublePrecision) {
        doubleData_.assign(channelsTotal * block, 0.0);
        for (int c = 0; c < numInputs_; ++c)
            doubleIn_.push_back(&doubleData_[size_t(c) * block]);
        for (int c = 0; c < numOutputs_; ++c)
            doubleOut_.push_back(&doubleData_[size_t(numInputs_ + c) * block]);
    } else {
        floatData_.assign(channelsTotal * block, 0.0f);
        for (int c = 0; c < numInputs_; ++c)
            floatIn_.push_back(&floatData_[size_t(c) * block]);
        for (int c = 0; c < numOutputs_; ++c)
            floatOut_.push_back(&floatData_[size_t(numInputs_ + c) * block]);
    }
    // Never hand a plug-in a null channel array, even with no channels.
    floatIn_.push_back(nullptr);
    floatOut_.push_back(nullptr);
    doubleIn_.push_back(nullptr);
    doubleOut_.push_back(nullptr);
}

bool MidiRenderer::start(std::string& error) {
    VstInt32 flags = host_.effect()->flags;
    if (settings_.doublePrecision && !(flags & effFlagsCanDoubleReplacing)) {
        error = "the plug-in cannot process in double precision";
        return false;
    }
    if (!settings_.doublePrecision && !(flags & effFlagsCanReplacing)) {
        error = "the plug-in has no processReplacing";
        return false;
    }
    host_.hostSampleRate = settings_.sampleRate;
    host_.hostBlockSize = settings_.blockSize;
    host_.timeInfo = VstTimeInfo{};
    host_.timeInfoEnabled = true;
    host_.setSampleRate(float(settings_.sampleRate));
    host_.setBlockSize(settings_.blockSize);
    host_.setProcessPrecision(settings_.doublePrecision);
    host_.mainsChanged(true);
    host_.startProcess();
    started_ = true;
    return true;
}

void MidiRenderer::stop() {
    if (!started_)
        return;
    host_.stopProcess();
    host_.mainsChanged(false);
    started_ = false;
}

void MidiRenderer::updateClock() {
    SongClock c = schedule_.clockAt(position_);
    VstTimeInfo& clock = host_.timeInfo;
    clock.samplePos = c.samplePos;
    clock.sampleRate = settings_.sampleRate;
    clock.ppqPos = c.ppqPos;
    clock.tempo = c.tempo;
    clock.barStartPos = c.barStartPos;
    clock.timeSigNumerator = c.numerator;
    clock.timeSigDenominator = c.denominator;
    clock.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    if (position_ == 0)
        clock.flags |= kVstTransportChanged;
}

void MidiRenderer::sendEvents(const std::vector<BlockEvent>& events) {
    eventList_.clear();
    for (const BlockEvent& e : events)
        eventList_.add(e.deltaFrames, e.data[0], e.data[1], e.data[2]);
    host_.processEvents(eventList_.build());
}

int MidiRenderer::renderBlock() {
    if (position_ >= totalFrames_)
        return 0;
    int maxFrames = int(std::min<int64_t>(settings_.blockSize, totalFrames_ - position_));
    // The schedule already sorts each block's events by frame, stable for equal frames.
    int frames = schedule_.nextBlock(maxFrames, kMaxEventsPerBlock, blockEvents_);
    updateClock();
    sendEvents(blockEvents_);
    if (settings_.doublePrecision)
        host_.processDoubleReplacing(doubleIn_.data(), doubleOut_.data(), frames);
    else
        host_.processReplacing(floatIn_.data(), floatOut_.data(), frames);
    position_ += frames;
    if (settings_.tailUntilQuiet)
        watchTail(frames);
    return frames;
}

void MidiRenderer::watchTail(int frames) {
    // Only the tail counts: a song may be quiet in places.
    const int64_t blockStart = position_ - frames;
    const int first = int(std::clamp<int64_t>(schedule_.songFrames() - blockStart, 0, frames));
    for (int i = first; i < frames; ++i) {
        bool quiet = true;
        for (int c = 0; c < numOutputs_ && quiet; ++c) {
            const double v = settings_.doublePrecision ? doubleOut_[c][i] : floatOut_[c][i];
            quiet = std::fabs(v) < kQuietLevel;  // not a number: not quiet
        }
        quietFrames_ = quiet ? quietFrames_ + 1 : 0;
    }
    if (quietFrames_ >= int64_t(std::ceil(kQuietSeconds * settings_.sampleRate)))
        totalFrames_ = position_;
}

}  // namespace kx
