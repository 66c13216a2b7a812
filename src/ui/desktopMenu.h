// The desktop menu: an action sheet with what the toy can do beyond the
// board (where he listens, full screen, a screenshot, the settings, quitting),
// and a notice when a source cannot be heard.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zorbel {

class EAGLView;
class Screen;

// What the board says when this computer's sound cannot be heard.
extern const char kNoSoundServerNotice[];

// What only the desktop shell can do.
struct DesktopMenuActions {
    bool fullscreen = false;
    std::function<void()> toggleFullscreen;
    std::function<void()> saveScreenshot;
    std::string recordTitle;  // "Record a clip", "Stop recording", or that clips cannot be made here
    std::function<void()> toggleRecording;
    std::function<void()> quit;
};

// Opens the menu over everything on the screen, or closes it when it is
// open. Nothing opens while the face editor is up.
void toggleDesktopMenu(Screen& screen, const std::shared_ptr<EAGLView>& view, DesktopMenuActions actions);

}  // namespace zorbel
