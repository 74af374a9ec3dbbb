#include "controls/condition.h"

namespace kx {

bool KConditionSet::evaluate() const {
    bool result = true;
    for (const KConditionRef* ref : refs_) {
        bool v = ref->check ? ref->check->Evaluate() : true;
        if (ref->negate)
            v = !v;
        result = result && v;
    }
    return elseFlag_ ? !result : result;
}

}  // namespace kx
