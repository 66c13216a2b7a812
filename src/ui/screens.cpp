#include "ui/screens.h"

#include "figure/myGuy.h"
#include "platform/kit/kit.h"
#include "ui/InfoView.h"
#include "ui/facePickerController.h"
#include "view/EAGLView.h"

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

}  // namespace zorbel
