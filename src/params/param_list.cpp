#include "params/param_list.h"

#include "params/number_text.h"

namespace kx {

int findParamByName(const KParamList& params, const char* name) {
    if (!name)
        return -1;
    for (int i = 0; i < params.count(); ++i)
        if (const KParam* p = params.get(i); p && equalsIgnoringCase(p->getName(), name))
            return i;
    return -1;
}

}  // namespace kx
