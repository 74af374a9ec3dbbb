// PluginInstance: a created plug-in as the tool's sequencer plays it,
// whatever the plug-in's format. Each format is an adapter behind it;
// PluginHost is the VST 2.4 one.
//
// Used from one thread: the sequencer starts, feeds and processes in turn.
#pragma once

#include "kelvox2/host/timeline.h"

#include <vector>

namespace kx {

class PluginInstance {
public:
    virtual int inputCount() const = 0;
    virtual int outputCount() const = 0;
    // Why the instance cannot process at that precision, or null when it can.
    virtual const char* cannotProcess(bool doublePrecision) const = 0;
    // Sample rate, largest block and precision; then on and processing, its
    // transport reported from now on.
    virtual void startProcessing(double sampleRate, int maxBlock, bool doublePrecision) = 0;
    virtual void stopProcessing() = 0;
    // Where the next block plays; `restarted` at the first block of a take.
    virtual void setTransport(const SongClock& clock, bool restarted) = 0;
    // The next block's events, in order.
    virtual void sendEvents(const std::vector<BlockEvent>& events) = 0;
    virtual void process(float** inputs, float** outputs, int frames) = 0;
    virtual void process(double** inputs, double** outputs, int frames) = 0;

protected:
    ~PluginInstance() = default;
};

}  // namespace kx
