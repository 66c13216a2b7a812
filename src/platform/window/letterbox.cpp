#include "platform/window/letterbox.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

Letterbox fitLetterbox(float areaWidth, float areaHeight)
{
    if (!(areaWidth > 0.0f) || !(areaHeight > 0.0f))
        return Letterbox{0.0f, 0.0f, 0.0f};
    const float scale = std::min(areaWidth / kScreenWidth, areaHeight / kScreenHeight);
    return Letterbox{scale, (areaWidth - kScreenWidth * scale) * 0.5f, (areaHeight - kScreenHeight * scale) * 0.5f};
}

bool letterboxToPoints(const Letterbox& box, float x, float y, float& px, float& py)
{
    if (!(box.scale > 0.0f)) {
        px = py = 0.0f;
        return false;
    }
    px = (x - box.offsetX) / box.scale;
    py = (y - box.offsetY) / box.scale;
    return px >= 0.0f && px < kScreenWidth && py >= 0.0f && py < kScreenHeight;
}

PixelRect letterboxPixelRect(const Letterbox& box)
{
    // The size a GL view renders at (round(320 * scale) x round(480 * scale)),
    // so that its picture is shown one pixel for one. Rounding both edges
    // instead can make the rectangle a pixel narrower than the picture, which
    // would then be resampled, blurred, over the whole window every frame.
    const int left = static_cast<int>(std::lround(box.offsetX));
    const int top = static_cast<int>(std::lround(box.offsetY));
    const int width = static_cast<int>(std::lround(kScreenWidth * box.scale));
    const int height = static_cast<int>(std::lround(kScreenHeight * box.scale));
    return PixelRect{left, top, width, height};
}

float initialWindowScale(int usableWidth, int usableHeight)
{
    if (usableWidth <= 0 || usableHeight <= 0)
        return 1.0f;
    const float maxHeight = 0.85f * static_cast<float>(usableHeight);
    const float maxWidth = static_cast<float>(usableWidth);
    float best = 0.5f;
    for (int halves = 1; halves <= 64; ++halves) {
        const float scale = 0.5f * static_cast<float>(halves);
        if (kScreenHeight * scale > maxHeight || kScreenWidth * scale > maxWidth)
            break;
        best = scale;
    }
    return best;
}

}  // namespace zorbel
