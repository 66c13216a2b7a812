#include "ui/screens.h"

#include "figure/myGuy.h"
#include "platform/kit/kit.h"
#include "ui/InfoView.h"
#include "ui/facePickerController.h"
#include "view/EAGLView.h"

#include <algorithm>

namespace zorbel {

void installScreens(Screen& screen, const std::shared_ptr<EAGLView>& view)
{
    screen.root().addSubview(view);
    std::weak_ptr<EAGLView> weak = view;
    view->infoCornerAction = [weak] {
        if (auto v = weak.lock())
            v->addSubview(InfoView::initWithFrame(v->frame()));
    };
    InfoView::makeFacePicker = [] { return facePickerController::create(); };
}

void storeOpenSettings(Screen& screen)
{
    for (const auto& view : screen.root().subviews()) {
        for (const auto& over : view->subviews()) {
            if (dynamic_cast<InfoView*>(over.get())) {
                SavePhysicsPrefs();
                return;
            }
        }
    }
}

void photoDropped(const std::shared_ptr<EAGLView>& view, const std::string& path)
{
    EventScope scope;
    if (auto picker = activeFacePicker()) {
        picker->photoDropped(path);
        return;
    }
    auto picker = facePickerController::create();
    view->addSubview(picker->view());
    picker->photoDropped(path);
}

bool onlyTheScene(Screen& screen, const EAGLView& view)
{
    return screen.root().subviews().size() == 1 && view.subviews().empty();
}

Rect screensCover(Screen& screen, const EAGLView& view)
{
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    auto add = [&](Rect r, float dx, float dy) {
        left = std::min(left, r.x + dx - 1);
        top = std::min(top, r.y + dy - 1);
        right = std::max(right, r.x + dx + r.width + 1);
        bottom = std::max(bottom, r.y + dy + r.height + 1);
    };
    for (const auto& over : screen.root().subviews())
        if (over.get() != &view)
            add(over->frame(), 0, 0);
    for (const auto& over : view.subviews())
        add(over->frame(), view.frame().x, view.frame().y);
    if (right < left)
        return {};
    return {left, top, right - left, bottom - top};
}

}  // namespace zorbel
