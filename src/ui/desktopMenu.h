// The desktop menu: an action sheet with what the toy can do beyond the
// board (where he listens, full screen, a screenshot, the settings, quitting),
// and the short notice it shows when a source cannot be heard.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zorbel {

class EAGLView;
class Screen;
class View;

// What only the desktop shell can do.
struct DesktopMenuActions {
    bool fullscreen = false;
    std::function<void()> toggleFullscreen;
    std::function<void()> saveScreenshot;
    std::function<void()> quit;
    std::function<void(const std::string& text)> showNotice;
};

// Opens the menu over everything on the screen, or closes it when it is
// open. Nothing opens while the face editor is up.
void toggleDesktopMenu(Screen& screen, const std::shared_ptr<EAGLView>& view, DesktopMenuActions actions);

// A few words on the board, in a dark box that lets touches through.
std::shared_ptr<View> makeNotice(const std::string& text);

}  // namespace zorbel
