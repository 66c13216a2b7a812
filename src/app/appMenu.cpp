// The desktop menu: the Menu key, F10, or a right click on the board with no
// grab held.
#include "app/desktopApp.h"

#include "ui/desktopMenu.h"
#include "view/EAGLView.h"

namespace zorbel {

void DesktopApp::toggleMenu()
{
    DesktopMenuActions actions;
    actions.fullscreen = window.isFullscreen();
    actions.toggleFullscreen = [this] { window.toggleFullscreen(); };
    actions.saveScreenshot = [this] { saveScreenshot(); };
    actions.recordTitle = clips.title("Clips cannot be made here");
    actions.toggleRecording = [this] { toggleClip(); };
    actions.quit = [] { RunLoop::postQuitEvent(); };
    toggleDesktopMenu(screen, view, std::move(actions));
}

}  // namespace zorbel
