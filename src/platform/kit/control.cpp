// Controls: enabled and highlighted state, single-finger tracking, actions.
#include "platform/kit/kit.h"

namespace zorbel {

Control::Control(Rect frame) : View(frame) {}

void Control::setEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    if (!on) {
        tracking_ = false;
        highlighted_ = false;
    }
    setNeedsDisplay();
}

void Control::setHighlighted(bool on)
{
    if (on == highlighted_)
        return;
    highlighted_ = on;
    setNeedsDisplay();
}

const Touch* Control::beginTracking(const std::vector<Touch>& touches)
{
    if (!enabled_ || tracking_ || touches.empty())
        return nullptr;
    tracking_ = true;
    touchId_ = touches.front().id;
    return &touches.front();
}

const Touch* Control::trackedTouch(const std::vector<Touch>& touches) const
{
    if (tracking_)
        for (const Touch& t : touches)
            if (t.id == touchId_)
                return &t;
    return nullptr;
}

void Control::sendActions(const std::vector<Action>& actions)
{
    // A copy: an action may add actions to the control that fires it.
    const std::vector<Action> now = actions;
    for (const Action& action : now)
        if (action)
            action();
}

}  // namespace zorbel
