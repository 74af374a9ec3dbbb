#pragma once

// The circle as the engine's arithmetic rounds it: every phase, step and
// table position uses these values, so a change reaches all of them at once.
namespace kx {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kInvTwoPi = 0.15915494309189535;

}  // namespace kx
