// The root view of a screen laid over the others (the face picker, the
// camera). It keeps its controller alive while it is shown, since the
// controller is the target of its buttons; when the view leaves the tree the
// controller goes with it, once the event that removed it is over. Escape is
// the screen's way back.
#pragma once

#include "platform/kit/kit.h"

#include <functional>
#include <memory>

namespace zorbel {

class ScreenRootView : public View {
public:
    // `leaving` runs as the view leaves the tree, before the controller goes.
    ScreenRootView(std::shared_ptr<ViewController> owner, std::function<void()> back,
                   std::function<void()> leaving = nullptr)
        : View(kScreenBounds), owner_(std::move(owner)), back_(std::move(back)), leaving_(std::move(leaving))
    {
        setBackgroundColor(Color::black());
    }

    void didMoveToSuperview() override
    {
        if (superview() || !owner_)
            return;
        if (leaving_)
            leaving_();
        releaseAfterDispatch(std::move(owner_));
    }

    bool keyDown(Key key, bool shift) override
    {
        if (key != Key::Escape || !owner_)
            return View::keyDown(key, shift);
        back_();
        return true;
    }

private:
    std::shared_ptr<ViewController> owner_;
    std::function<void()> back_;
    std::function<void()> leaving_;
};

}  // namespace zorbel
