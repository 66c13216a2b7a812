#include "view/touchGrab.h"

namespace zorbel {

namespace {

// The nearest grab point strictly within the squared limit; lowest index on
// ties. -1 when none.
int nearestGrab(const Guy* guy, float x, float y, float limit, bool freeOnly)
{
    int nearest = -1;
    float best = limit;
    for (int k = 0; k < guy->grabCount; ++k) {
        if (freeOnly && guy->grabTacked[k])
            continue;
        const float dx = guy->grabX[k] - x;
        const float dy = guy->grabY[k] - y;
        const float d = dx * dx + dy * dy;
        if (d < best) {
            best = d;
            nearest = k;
        }
    }
    return nearest;
}

float reach(const Guy* guy, float units)
{
    return (units * guy->scale) * (units * guy->scale);
}

}  // namespace

TouchCorner CornerAt(float px, float py, float w, float h)
{
    if (px > w - kCornerSize && py > h - kCornerSize)
        return TouchCorner::Info;
    if (px < kCornerSize && py > h - kCornerSize)
        return TouchCorner::Tack;
    return TouchCorner::None;
}

void ViewToWorld(float px, float py, float w, float h, float& x, float& y)
{
    x = (2.0f * (px - w / 2.0f)) / w;
    y = (2.0f * (h / 2.0f - py)) / w;
}

void GrabBegan(Guy* guy, float x, float y)
{
    if (guy->grabCount > 0) {
        const int k = nearestGrab(guy, x, y, reach(guy, 50.0f), false);
        if (k >= 0) {
            guy->grabX[k] = x;
            guy->grabY[k] = y;
            if (guy->grabTacked[k]) {
                guy->grabTacked[k] = 0;
                --guy->tackCount;
            }
            return;
        }
    }
    if (guy->grabCount == 10)
        return;
    const int k = guy->grabCount++;
    guy->grabX[k] = x;
    guy->grabY[k] = y;
    guy->grabTacked[k] = 0;
}

void GrabMoved(Guy* guy, float x, float y)
{
    const int k = nearestGrab(guy, x, y, reach(guy, 1000.0f), true);
    if (k < 0)
        return;
    guy->grabX[k] = x;
    guy->grabY[k] = y;
}

void GrabEnded(Guy* guy, float x, float y)
{
    const int k = nearestGrab(guy, x, y, reach(guy, 50.0f), false);
    if (k < 0 || guy->grabTacked[k])
        return;  // tacked points outlive their fingers
    for (int i = k + 1; i < guy->grabCount; ++i) {
        guy->grabX[i - 1] = guy->grabX[i];
        guy->grabY[i - 1] = guy->grabY[i];
        guy->grabTacked[i - 1] = guy->grabTacked[i];
    }
    --guy->grabCount;
}

void TackAll(Guy* guy)
{
    for (int k = 0; k < guy->grabCount; ++k)
        guy->grabTacked[k] = 1;
    guy->tackCount = guy->grabCount;
}

}  // namespace zorbel
