// The mouse as a finger: a button is one touch; a mirrored press (Alt or
// Ctrl held, or the middle button) adds a second touch mirrored about the
// view's centre, as phone simulators do, until the button is released.
#pragma once

#include "platform/screenSize.h"
#include "view/touchGrab.h"

namespace zorbel {

class PointerTouches {
public:
    // Each returns the number of touches written to out (0, 1 or 2).
    int down(float px, float py, bool mirrored, TouchPoint out[2]);
    int move(float px, float py, TouchPoint out[2]) const;
    int up(float px, float py, TouchPoint out[2]);
    bool isDown() const { return down_; }

    // The view the mirror is taken in, in points.
    float viewWidth = kScreenWidth;
    float viewHeight = kScreenHeight;

private:
    int fill(float px, float py, TouchPoint out[2]) const;
    bool down_ = false;
    bool mirrored_ = false;
};

}  // namespace zorbel
