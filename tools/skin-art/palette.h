// The colours of the default skin's art. The skin script itself draws value
// text in 220 240 255, dial dots in 40 40 50 and labels in 180 190 200; the
// art is keyed to those.
#pragma once

#include "graphics/colour.h"

namespace kx::art::palette {

inline constexpr KColour kPanelTop{46, 53, 66, 255};
inline constexpr KColour kPanelBottom{22, 26, 34, 255};

inline constexpr KColour kBoxFill{255, 255, 255, 9};
inline constexpr KColour kBoxBorder{150, 170, 200, 70};
inline constexpr KColour kBoxShadow{0, 0, 0, 90};

inline constexpr KColour kAccent{112, 184, 232, 255};
inline constexpr KColour kTitle{236, 242, 250, 255};
inline constexpr KColour kCaption{190, 201, 214, 255};
inline constexpr KColour kDim{104, 116, 134, 255};

inline constexpr KColour kWellFill{11, 14, 20, 255};
inline constexpr KColour kWellShade{0, 0, 0, 110};
inline constexpr KColour kWellLight{255, 255, 255, 30};

inline constexpr KColour kKnobLight{238, 241, 246, 255};
inline constexpr KColour kKnobDark{156, 163, 176, 255};
inline constexpr KColour kKnobRim{74, 80, 94, 255};
inline constexpr KColour kTick{128, 143, 165, 255};
inline constexpr KColour kTickMajor{196, 210, 228, 255};

inline constexpr KColour kButtonTop{82, 93, 113, 255};
inline constexpr KColour kButtonBottom{54, 62, 78, 255};
inline constexpr KColour kButtonPressedTop{34, 40, 52, 255};
inline constexpr KColour kButtonPressedBottom{46, 56, 72, 255};
inline constexpr KColour kButtonEdge{14, 17, 23, 255};
inline constexpr KColour kButtonText{226, 234, 244, 255};

inline constexpr KColour kTabTop{50, 57, 71, 255};
inline constexpr KColour kTabBottom{38, 44, 56, 255};
inline constexpr KColour kTabActiveTop{84, 134, 178, 255};
inline constexpr KColour kTabActiveBottom{56, 98, 138, 255};
inline constexpr KColour kTabText{150, 162, 180, 255};

inline constexpr KColour kInfoFill{10, 13, 19, 150};

}  // namespace kx::art::palette
