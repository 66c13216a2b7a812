// Calling the touch method of a phase on a view or a view controller.
#pragma once

#include "platform/kit/kit.h"

namespace zorbel {

// `Responder` is View or ViewController: both have the four touch methods.
template <typename Responder> void deliverTouches(Responder& to, TouchPhase phase, const std::vector<Touch>& touches)
{
    switch (phase) {
    case TouchPhase::Began:
        to.touchesBegan(touches);
        break;
    case TouchPhase::Moved:
        to.touchesMoved(touches);
        break;
    case TouchPhase::Ended:
        to.touchesEnded(touches);
        break;
    case TouchPhase::Cancelled:
        to.touchesCancelled(touches);
        break;
    }
}

}  // namespace zorbel
