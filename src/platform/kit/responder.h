// Calling the touch method of a phase on a view or a view controller.
#pragma once

#include "platform/kit/kit.h"

namespace zorbel {

void deliverTouches(View& to, TouchPhase phase, const std::vector<Touch>& touches);
void deliverTouches(ViewController& to, TouchPhase phase, const std::vector<Touch>& touches);

}  // namespace zorbel
