// The controls' shared colours: a classic glossy look.
#pragma once

#include "platform/imaging/graphics.h"

namespace zorbel::style {

constexpr Color kTitleBlue = rgb(0x324F85);   // button titles
constexpr Color kPressedTop = rgb(0x5A9AF5);  // pressed button and the "on" side
constexpr Color kPressedBottom = rgb(0x1B5FDD);
constexpr Color kBorder = rgb(0x000000, 0.38f);  // thin outline of white shapes
constexpr Color kBlueBorder = rgb(0x0E3C8C, 0.8f);
constexpr float kDisabledAlpha = 0.45f;  // a disabled control fades

}  // namespace zorbel::style
