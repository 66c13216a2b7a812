#include "app/pointerTouches.h"

namespace zorbel {

int PointerTouches::fill(float px, float py, TouchPoint out[2]) const
{
    out[0] = {px, py};
    if (!mirrored_)
        return 1;
    out[1] = {viewWidth - px, viewHeight - py};
    return 2;
}

int PointerTouches::down(float px, float py, bool mirrored, TouchPoint out[2])
{
    if (down_)
        return 0;
    down_ = true;
    mirrored_ = mirrored;
    return fill(px, py, out);
}

int PointerTouches::move(float px, float py, TouchPoint out[2]) const
{
    return down_ ? fill(px, py, out) : 0;
}

int PointerTouches::up(float px, float py, TouchPoint out[2])
{
    if (!down_)
        return 0;
    const int n = fill(px, py, out);
    down_ = false;
    mirrored_ = false;
    return n;
}

}  // namespace zorbel
