// The screen everything is laid out on: portrait, in points. The window
// scales it uniformly to its size; the GL view, the kit's views and touches
// all work in these points.
#pragma once

namespace zorbel {

constexpr float kScreenWidth = 320.0f;   // points
constexpr float kScreenHeight = 480.0f;  // points

}  // namespace zorbel
