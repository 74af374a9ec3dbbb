#include "plugin/change_report.h"

#include "plugin/effect.h"

#include <cstddef>
#include <cstring>

namespace kx {

KChangeReport::KChangeReport(KEffect& effect) : effect_(effect) {
    const int count = effect.getParamList().count();
    before_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        before_.push_back(effect.getParameterValue(i));
}

void KChangeReport::send() const {
    const int count = static_cast<int>(before_.size());
    for (int i = 0; i < count; ++i) {
        const double now = effect_.getParameterValue(i);
        // Compared by bits: a value that is not a number equals nothing.
        if (std::memcmp(&now, &before_[static_cast<std::size_t>(i)], sizeof now) == 0)
            continue;
        effect_.beginEdit(i);
        effect_.automate(i, static_cast<float>(now));
        effect_.endEdit(i);
    }
}

}  // namespace kx
