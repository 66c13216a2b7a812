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
    const int left = static_cast<int>(std::lround(box.offsetX));
    const int top = static_cast<int>(std::lround(box.offsetY));
    const int right = static_cast<int>(std::lround(box.offsetX + kScreenWidth * box.scale));
    const int bottom = static_cast<int>(std::lround(box.offsetY + kScreenHeight * box.scale));
    return PixelRect{left, top, right - left, bottom - top};
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
