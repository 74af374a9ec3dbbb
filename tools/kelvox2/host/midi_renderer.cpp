#include "kelvox2/host/midi_renderer.h"

#include "kelvox2/host/sounding_notes.h"

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

MidiRenderer::MidiRenderer(PluginInstance& host, const MidiSong& song, const RenderSettings& settings)
    : host_(host), song_(withSoundingNotesEnded(song)), schedule_(song_, settings.sampleRate), settings_(settings) {
    numInputs_ = host.inputCount();
    numOutputs_ = host.outputCount();
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
    if (const char* why = host_.cannotProcess(settings_.doublePrecision)) {
        error = why;
        return false;
    }
    host_.startProcessing(settings_.sampleRate, settings_.blockSize, settings_.doublePrecision);
    started_ = true;
    return true;
}

void MidiRenderer::stop() {
    if (!started_)
        return;
    host_.stopProcessing();
    started_ = false;
}

int MidiRenderer::renderBlock() {
    if (position_ >= totalFrames_)
        return 0;
    int maxFrames = int(std::min<int64_t>(settings_.blockSize, totalFrames_ - position_));
    // The schedule already sorts each block's events by frame, stable for equal frames.
    int frames = schedule_.nextBlock(maxFrames, kMaxEventsPerBlock, blockEvents_);
    host_.setTransport(schedule_.clockAt(position_), position_ == 0);
    host_.sendEvents(blockEvents_);
    if (settings_.doublePrecision)
        host_.process(doubleIn_.data(), doubleOut_.data(), frames);
    else
        host_.process(floatIn_.data(), floatOut_.data(), frames);
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
