// HostTime: the musical position an LV2 host tells in time:Position
// objects, kept as the VST 2.4 time record that the effect asks for, and
// carried forward by the frames rendered between reports.
#pragma once

#include "plugin/vst_abi.h"

#include "lv2/atom/atom.h"
#include "lv2/urid/urid.h"

namespace kx::lv2 {

class HostTime {
public:
    void map(LV2_URID_Map* map);
    void setSampleRate(double rate) { info_.sampleRate = rate; }
    // True when `object` was a time:Position (and was taken).
    bool read(const LV2_Atom_Object* object);
    // Moves the position on by `frames` rendered samples.
    void advance(int frames);
    // Null until the host has told a tempo.
    VstTimeInfo* info() { return known_ ? &info_ : nullptr; }

private:
    struct Uris {
        LV2_URID position, frame, speed, bpm, beat, bar, barBeat, beatsPerBar, beatUnit;
        LV2_URID atomFloat, atomDouble, atomInt, atomLong;
    } uris_{};
    VstTimeInfo info_{};
    bool known_ = false;
    double speed_ = 0.0;
};

}  // namespace kx::lv2
