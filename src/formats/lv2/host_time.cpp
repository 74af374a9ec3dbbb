#include "formats/lv2/host_time.h"

#include "lv2/atom/util.h"
#include "lv2/time/time.h"

#include <cmath>

namespace kx::lv2 {

namespace {

// A number atom of any of the four types; false for anything else.
bool numberOf(const LV2_Atom* atom, LV2_URID f, LV2_URID d, LV2_URID i, LV2_URID l, double& out) {
    if (!atom)
        return false;
    if (atom->type == f && atom->size >= sizeof(float))
        out = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
    else if (atom->type == d && atom->size >= sizeof(double))
        out = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
    else if (atom->type == i && atom->size >= sizeof(int32_t))
        out = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
    else if (atom->type == l && atom->size >= sizeof(int64_t))
        out = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
    else
        return false;
    return std::isfinite(out);
}

}  // namespace

void HostTime::map(LV2_URID_Map* m) {
    auto id = [m](const char* uri) { return m->map(m->handle, uri); };
    uris_ = {id(LV2_TIME__Position), id(LV2_TIME__frame), id(LV2_TIME__speed),   id(LV2_TIME__beatsPerMinute),
             id(LV2_TIME__beat),     id(LV2_TIME__bar),   id(LV2_TIME__barBeat), id(LV2_TIME__beatsPerBar),
             id(LV2_TIME__beatUnit), id(LV2_ATOM__Float), id(LV2_ATOM__Double),  id(LV2_ATOM__Int),
             id(LV2_ATOM__Long)};
}

bool HostTime::read(const LV2_Atom_Object* object) {
    if (object->body.otype != uris_.position)
        return false;
    const LV2_Atom *frame = nullptr, *speed = nullptr, *bpm = nullptr, *beat = nullptr, *bar = nullptr,
                   *barBeat = nullptr, *beatsPerBar = nullptr, *beatUnit = nullptr;
    lv2_atom_object_get(object, uris_.frame, &frame, uris_.speed, &speed, uris_.bpm, &bpm, uris_.beat, &beat, uris_.bar,
                        &bar, uris_.barBeat, &barBeat, uris_.beatsPerBar, &beatsPerBar, uris_.beatUnit, &beatUnit, 0);
    auto number = [this](const LV2_Atom* atom, double& out) {
        return numberOf(atom, uris_.atomFloat, uris_.atomDouble, uris_.atomInt, uris_.atomLong, out);
    };
    double value = 0.0;
    if (number(frame, value))
        info_.samplePos = value;
    if (number(speed, value))
        speed_ = value;
    if (number(bpm, value) && value >= 0.0) {
        info_.tempo = value;
        known_ = true;
    }
    double unit = 4.0, perBar = 4.0;
    if (number(beatUnit, value) && value > 0.0)
        unit = value;
    if (number(beatsPerBar, value) && value > 0.0)
        perBar = value;
    info_.timeSigNumerator = static_cast<VstInt32>(perBar);
    info_.timeSigDenominator = static_cast<VstInt32>(unit);
    // Quarter notes from the start, as VST counts them; the host's beats
    // are of the time signature's unit.
    double beats = 0.0, barNumber = 0.0, inBar = 0.0;
    bool hasPosition = number(beat, beats);
    if (!hasPosition && number(bar, barNumber) && number(barBeat, inBar)) {
        beats = barNumber * perBar + inBar;
        hasPosition = true;
    }
    if (hasPosition) {
        info_.ppqPos = beats * 4.0 / unit;
        info_.barStartPos = (beats - std::fmod(beats, perBar)) * 4.0 / unit;
    }
    info_.flags = kVstTempoValid | kVstTimeSigValid | kVstTransportChanged |
                  (hasPosition ? kVstPpqPosValid | kVstBarsValid : 0) | (speed_ != 0.0 ? kVstTransportPlaying : 0);
    return true;
}

void HostTime::advance(int frames) {
    if (!known_ || frames <= 0)
        return;
    info_.flags &= ~kVstTransportChanged;
    info_.samplePos += frames * speed_;
    if (info_.sampleRate > 0.0)
        info_.ppqPos += frames * speed_ * info_.tempo / (60.0 * info_.sampleRate);
}

}  // namespace kx::lv2
