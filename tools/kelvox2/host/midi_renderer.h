// Plays a MIDI song through a plug-in instance, block by block, as a sequencer
// host does: the host clock (tempo, quarter-note position, bar, transport
// playing) is set for the block, its events go to the plug-in sorted by
// frame, then the plug-in fills the outputs. At the song's end the notes still
// sounding are ended as a sequencer ends them when it stops; then a tail of
// silence in the MIDI lets releases ring out, for a set time or until the
// output has fallen quiet.
#pragma once

#include "kelvox2/host/midi_file.h"
#include "kelvox2/host/plugin_instance.h"
#include "kelvox2/host/song_schedule.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kx {

struct RenderSettings {
    double sampleRate = 44100.0;
    int blockSize = 512;
    bool doublePrecision = false;
    double tailSeconds = 2.0;
    // The tail ends once every output has stayed below kQuietLevel for
    // kQuietSeconds, or after tailSeconds at the most.
    bool tailUntilQuiet = false;
};

// -90 dBFS
constexpr double kQuietLevel = 3.1622776601683795e-05;
constexpr double kQuietSeconds = 1.0;
constexpr double kMaxAutoTailSeconds = 60.0;

class MidiRenderer {
public:
    // The instance and the song stay owned by the caller; the instance's
    // transport is kept current here.
    MidiRenderer(PluginInstance& host, const MidiSong& song, const RenderSettings& settings);

    // Sample rate, block size, precision; then resume and start processing.
    // Fails (with a reason) when the plug-in cannot do what the settings ask.
    bool start(std::string& error);
    // Renders the next block into the outputs; 0 when the song and tail are done.
    int renderBlock();
    // Stops processing and suspends.
    void stop();

    // The song and the longest tail; an automatic tail may end sooner.
    int64_t totalFrames() const { return totalFrames_; }
    int64_t songFrames() const { return schedule_.songFrames(); }
    int64_t position() const { return position_; }
    int channels() const { return numOutputs_; }
    const float* const* floatOutputs() const { return floatOut_.data(); }
    const double* const* doubleOutputs() const { return doubleOut_.data(); }

    // Events a block may carry; more would overflow common plug-in queues,
    // so the schedule shortens such a block instead.
    static constexpr size_t kMaxEventsPerBlock = 512;

private:
    // Ends an automatic tail once the outputs have been quiet long enough.
    void watchTail(int frames);

    PluginInstance& host_;
    MidiSong song_;  // the caller's song with its sounding notes ended
    SongSchedule schedule_;
    RenderSettings settings_;
    int numInputs_ = 0;
    int numOutputs_ = 0;
    int64_t totalFrames_ = 0;
    int64_t position_ = 0;
    int64_t quietFrames_ = 0;
    bool started_ = false;

    std::vector<float> floatData_;
    std::vector<double> doubleData_;
    std::vector<float*> floatIn_, floatOut_;
    std::vector<double*> doubleIn_, doubleOut_;

    std::vector<BlockEvent> blockEvents_;
};

}  // namespace kx
