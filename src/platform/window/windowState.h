// Where the window was: its position and size, kept between runs in a state
// file of its own ($XDG_STATE_HOME/zorbel/window.ini), not in the toy's
// preferences.
#pragma once

#include <string>

namespace zorbel {

struct WindowPlacement {
    bool valid = false;
    int x = 0, y = 0;           // the frame's top-left corner (title bar included), desktop coordinates
    int width = 0, height = 0;  // window units
};

std::string windowStatePath();

// The placement saved last; not valid when there is none or it is broken.
WindowPlacement loadWindowPlacement(const std::string& path = windowStatePath());

// Writes it atomically; a failure is logged.
void saveWindowPlacement(const WindowPlacement& placement, const std::string& path = windowStatePath());

}  // namespace zorbel
