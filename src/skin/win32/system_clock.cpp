#include "skin/system_clock.h"

#include <windows.h>

namespace kx {

uint32_t systemTickCount() { return GetTickCount(); }

int todayMonthDay() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return local.wMonth * 100 + local.wDay;
}

}  // namespace kx
