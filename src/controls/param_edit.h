// KParamEdit: the one way a control changes its parameter, so that the host
// hears every change the way a user made it. Editor thread; each call reaches
// the host's callback before it returns (none is sent without a callback).
#pragma once

namespace kx {

class KEffect;

class KParamEdit {
public:
    KParamEdit(KEffect* effect, int param) : effect_(effect), param_(param) {}

    int param() const { return param_; }
    // The current program's normalised value, and the parameter's default.
    double value() const;
    double defaultValue() const;

    // A press that may change the value several times is bracketed, so that
    // the host takes its changes as one gesture (one undo step, one touch).
    void begin() const;
    void end() const;

    // A jump to a new value (a click, a reset, a typed value). The host hears
    // the value before the jump as well as after it: a host that records
    // automation then writes a step at this moment, where the new value
    // alone would read as a ramp from whatever point it recorded last.
    void jump(double value) const;
    // The same, with `change` storing the new value its own way.
    template <typename Change>
    void jumpWith(Change change) const {
        report();
        change();
        report();
    }

    // A value set in one go outside any press (a typed value): one gesture
    // of its own, begin edit, the new value, end edit, as hosts that record
    // in touch mode take only bracketed values.
    template <typename Change>
    void setWith(Change change) const {
        begin();
        change();
        report();
        end();
    }

    // One step of a drag: a drag really passes through the values between,
    // so the value it reached is all the host needs.
    void step(double value) const;
    // Tells the host the value as it stands (where a drag starts).
    void report() const;

private:
    // The stored value changes; texts and the engine follow.
    void store(double value) const;

    KEffect* effect_;  // not owned
    int param_;
};

}  // namespace kx
