#include "view/dirtyBox.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

void DirtyBox::addPoint(float x, float y)
{
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
}

void DirtyBox::addPoints(const float* xy, int count)
{
    for (int i = 0; i < count; ++i)
        addPoint(xy[2 * i], xy[2 * i + 1]);
}

void DirtyBox::addSquare(float x, float y, float half)
{
    addPoint(x - half, y - half);
    addPoint(x + half, y + half);
}

ScissorRect dirtyPixels(const DirtyBox& box, int width, int height, int marginPixels)
{
    if (box.empty())
        return {0, 0, 0, 0};
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const int x0 = std::max(0, static_cast<int>(std::floor((box.minX + 1.0f) * 0.5f * w)) - marginPixels);
    const int y0 = std::max(0, static_cast<int>(std::floor((box.minY + 1.5f) / 3.0f * h)) - marginPixels);
    const int x1 = std::min(width, static_cast<int>(std::ceil((box.maxX + 1.0f) * 0.5f * w)) + marginPixels);
    const int y1 = std::min(height, static_cast<int>(std::ceil((box.maxY + 1.5f) / 3.0f * h)) + marginPixels);
    if (x1 <= x0 || y1 <= y0)
        return {0, 0, 0, 0};
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace zorbel
