#include "ui/screens.h"

#include "platform/kit/kit.h"
#include "ui/InfoView.h"
#include "ui/albumPicker.h"
#include "ui/cameraPicker.h"
#include "ui/cropView.h"
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

namespace {

// The top-most view of the tree, depth first from the top.
View* topMost(View& v)
{
    return v.subviews().empty() ? &v : topMost(*v.subviews().back());
}

}  // namespace

bool closeTopScreen(Screen& screen)
{
    EventScope scope;
    for (View* v = topMost(screen.root()); v; v = v->superview()) {
        if (auto* album = dynamic_cast<AlbumPicker*>(v)) {
            if (album->didCancel)
                album->didCancel();
            return true;
        }
        if (auto* camera = dynamic_cast<CameraPicker*>(v->viewController())) {
            camera->cancelAction();
            return true;
        }
        if (auto* crop = dynamic_cast<cropView*>(v)) {
            crop->cancelAction();
            return true;
        }
        if (auto* picker = dynamic_cast<facePickerController*>(v->viewController())) {
            picker->dismissAction();
            return true;
        }
        if (auto* overlay = dynamic_cast<InfoView*>(v)) {
            overlay->dismissAction();
            return true;
        }
    }
    return false;
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
