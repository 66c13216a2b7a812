// What the pointer, fingers, the wheel and the keys do to the board and the
// screens over it, the same in every shell. The left button is one finger
// (two, mirrored, with Alt or Ctrl held, or from the middle button); real
// fingers keep their own ids; the right button
// or T, while the left button holds him, taps the tack corner with a second
// finger; the wheel goes to the view under the pointer, keys to the screen on
// top. Every touch goes through the screen's dispatch.
#pragma once

#include "app/pointerTouches.h"
#include "platform/kit/kit.h"

namespace zorbel {

class EAGLView;
struct InputEvent;

class BoardInput {
public:
    BoardInput(Screen& screen) : screen_(screen) {}
    void setView(EAGLView* view) { view_ = view; }

    // True when the event was used. A right click that taps no tack, and a
    // key no screen takes, are left to the shell.
    bool handle(const InputEvent& e);

    // The left button is down and the figure has a grab point.
    bool holdsHim() const;
    bool pointerIsDown() const { return pointer_.isDown(); }

private:
    void tapTackCorner();
    void touches(TouchPhase phase, const TouchPoint* points, int count, int64_t firstId);

    Screen& screen_;
    EAGLView* view_ = nullptr;
    PointerTouches pointer_;
    bool middle_ = false;  // the pointer's touch began with the middle button
};

}  // namespace zorbel
