// The desktop menu (the Menu key, F10, or a right click on the board with no
// grab held) and the notice it shows on the board for a few seconds.
#include "app/desktopApp.h"

#include "ui/desktopMenu.h"
#include "view/EAGLView.h"

namespace zorbel {

namespace {
const double kNoticeSeconds = 4.0;
}  // namespace

void DesktopApp::toggleMenu()
{
    DesktopMenuActions actions;
    actions.fullscreen = window.isFullscreen();
    actions.toggleFullscreen = [this] { window.toggleFullscreen(); };
    actions.saveScreenshot = [this] { saveScreenshot(); };
    actions.quit = [] { RunLoop::postQuitEvent(); };
    actions.showNotice = [this](const std::string& text) { showNotice(text); };
    toggleDesktopMenu(screen, view, std::move(actions));
}

void DesktopApp::showNotice(const std::string& text)
{
    EventScope scope;
    if (auto old = notice.lock())
        old->removeFromSuperview();
    runLoop.invalidateTimer(noticeTimer);
    auto box = makeNotice(text);
    view->addSubview(box);
    notice = box;
    noticeTimer = runLoop.addRepeatingTimer(kNoticeSeconds, [this] {
        EventScope scope;
        if (auto shown = notice.lock())
            shown->removeFromSuperview();
        runLoop.invalidateTimer(noticeTimer);
        noticeTimer = 0;
    });
}

}  // namespace zorbel
