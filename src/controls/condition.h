// Conditions that show or hide controls and backgrounds while the skin runs:
// named checks, each possibly negated, combined into the set a control keeps.
#pragma once

#include <cstddef>
#include <vector>

#include "params/named_object.h"

namespace kx {

class KEffect;

// A named test of the effect's live state. The kinds a script can declare
// (parameter, inputs and outputs, date) and how they are read are the
// skin's; controls only evaluate them.
class KCheck : public KNamedObjectN<35> {
public:
    explicit KCheck(KEffect* effect) : effect_(effect) {}
    virtual bool Evaluate() const = 0;

protected:
    KEffect* effect_;  // not owned
};

// One check, possibly negated. The skin owns these and shares one per
// (check, negate) pair.
struct KConditionRef {
    KCheck* check = nullptr;  // not owned
    bool negate = false;
};

// The set that is current on a script line; every control and background
// takes its own copy. An empty set is true; the else flag inverts the result.
class KConditionSet {
public:
    void clear() {
        refs_.clear();
        elseFlag_ = false;
    }
    void add(const KConditionRef* ref) { refs_.push_back(ref); }
    void toggleElse() { elseFlag_ = !elseFlag_; }
    bool isElse() const { return elseFlag_; }
    std::size_t size() const { return refs_.size(); }

    // Evaluated live on the editor thread at every paint and mouse event.
    bool evaluate() const;

private:
    std::vector<const KConditionRef*> refs_;  // not owned
    bool elseFlag_ = false;
};

}  // namespace kx
