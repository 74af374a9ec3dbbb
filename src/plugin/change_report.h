// Tells the host about parameter changes that it did not make and that no
// control reported: the patch commands rewrite many parameters at once.
#pragma once

#include <vector>

namespace kx {

class KEffect;

// Remembers the current program's values when made; send() then reports
// each parameter whose value differs now, in index order, as one gesture
// (begin edit, the new value, end edit), so that the host's automation, its
// generic view and its undo see each change. Only changes are reported:
// values written and put back (or rewritten unchanged) are no news to the
// host, and touch-mode automation would record them as moves.
// User-interface thread.
class KChangeReport {
public:
    explicit KChangeReport(KEffect& effect);
    void send() const;

private:
    KEffect& effect_;
    std::vector<double> before_;
};

}  // namespace kx
