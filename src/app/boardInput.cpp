#include "app/boardInput.h"

#include "figure/myGuy.h"
#include "platform/window/inputEvent.h"
#include "view/EAGLView.h"

namespace zorbel {

namespace {
// Touch ids: the mouse (and its mirrored Alt finger), the tack tap of the
// right button or T, then real fingers.
const int64_t kMouseTouch = 1;
const int64_t kTackTapTouch = 3;
const int64_t kFingerTouches = 1000;
}  // namespace

// One touch event into the view tree: the GL view, or a screen over it.
void BoardInput::touches(TouchPhase phase, const TouchPoint* points, int count, int64_t firstId)
{
    if (count == 0)
        return;
    std::vector<Touch> event;
    for (int i = 0; i < count; ++i) {
        Touch t;
        t.id = firstId + i;
        t.screenLocation = {points[i].x, points[i].y};
        event.push_back(t);
    }
    screen_.dispatch(phase, event);
}

bool BoardInput::holdsHim() const
{
    return view_ && pointer_.isDown() && view_->figure()->grabCount > 0;
}

void BoardInput::tapTackCorner()
{
    const Point p = view_->convertToScreen({kCornerSize / 2, view_->bounds().height - kCornerSize / 2});
    const TouchPoint corner{p.x, p.y};
    touches(TouchPhase::Began, &corner, 1, kTackTapTouch);
    touches(TouchPhase::Ended, &corner, 1, kTackTapTouch);
}

bool BoardInput::handle(const InputEvent& e)
{
    TouchPoint points[2];
    switch (e.type) {
    case InputEvent::PointerDown:
        // Window managers take Alt + drag for themselves: Ctrl and the
        // middle button mirror too.
        if (e.onScreen && !pointer_.isDown()) {
            middle_ = e.middle;
            touches(TouchPhase::Began, points, pointer_.down(e.x, e.y, e.alt || e.ctrl || e.middle, points),
                    kMouseTouch);
        }
        return true;
    case InputEvent::PointerMove:
        touches(TouchPhase::Moved, points, pointer_.move(e.x, e.y, points), kMouseTouch);
        return true;
    case InputEvent::PointerUp:
        if (e.middle == middle_)  // the button that began it
            touches(TouchPhase::Ended, points, pointer_.up(e.x, e.y, points), kMouseTouch);
        return true;
    case InputEvent::SecondaryDown:
        if (!holdsHim())
            return false;
        tapTackCorner();
        return true;
    case InputEvent::Wheel:
        if (e.onScreen)
            screen_.dispatchWheel({e.x, e.y}, e.steps, e.shift);
        return true;
    case InputEvent::TouchDown:
    case InputEvent::TouchMove:
    case InputEvent::TouchUp:
    case InputEvent::TouchCancel: {
        if (e.type == InputEvent::TouchDown && !e.onScreen)
            return true;
        points[0] = {e.x, e.y};
        const TouchPhase phase = e.type == InputEvent::TouchDown   ? TouchPhase::Began
                                 : e.type == InputEvent::TouchMove ? TouchPhase::Moved
                                 : e.type == InputEvent::TouchUp   ? TouchPhase::Ended
                                                                   : TouchPhase::Cancelled;
        touches(phase, points, 1, kFingerTouches + e.finger);
        return true;
    }
    case InputEvent::KeyDown:
        if (e.key == Key::T && !e.ctrl && holdsHim()) {
            if (!e.repeat)
                tapTackCorner();
            return true;
        }
        return screen_.dispatchKey(e.key, e.shift);
    default:
        return false;
    }
}

}  // namespace zorbel
