// The platform's clock as the skin reads it: a millisecond tick for the
// refresh throttle and the label timers, and the local date for Date checks.
// One implementation per platform (linux/, win32/).
#pragma once

#include <cstdint>

namespace kx {

// Milliseconds from an arbitrary start, wrapping at 2^32 like GetTickCount;
// only differences are meaningful. Any thread.
uint32_t systemTickCount();

// Today as month * 100 + day of the month, local time. Any thread.
int todayMonthDay();

}  // namespace kx
