// Conditions that show or hide controls and backgrounds while the skin runs.
#pragma once

#include <cstddef>
#include <vector>

namespace kx {

class KCheck;

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
