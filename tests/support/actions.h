// W3C WebDriver input actions, the same in classic WebDriver and in BiDi:
// the mouse, keys, and fingers each as a touch pointer of its own.
#pragma once

#include "browser.h"

#include <map>

namespace zorbel::test {

// The "actions" list for one mouse event (viewport CSS pixels), with the
// modifier keys held around it.
json mouseActions(const std::string& type, double x, double y, const std::string& button, int modifiers);

// The "actions" list that presses or releases one key (DOM key name).
json keyActions(const std::string& key, bool down);

// Fingers as touch pointers: what has to happen for the fingers touching to
// become `fingers` (viewport CSS pixels) after an event of `type`.
class TouchActions {
public:
    json next(const std::string& type, const std::vector<Finger>& fingers);

private:
    std::map<int, Finger> down_;
};

}  // namespace zorbel::test
