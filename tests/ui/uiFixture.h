// The scene with its view tree, driven by scripted touches in-process.
#pragma once

#include "../view/sceneFixture.h"

#include "platform/kit/kit.h"
#include "ui/InfoView.h"
#include "ui/screens.h"

#include <functional>

namespace zorbel::test {

class UiTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        installScreens(screen, view);
    }

    void TearDown() override
    {
        {
            EventScope scope;
            view->removeFromSuperview();
        }
        SceneTest::TearDown();
    }

    void touch(TouchPhase phase, float x, float y, int64_t id = 1)
    {
        Touch t;
        t.id = id;
        t.screenLocation = {x, y};
        screen.dispatch(phase, {t});
    }

    void tap(float x, float y)
    {
        touch(TouchPhase::Began, x, y);
        touch(TouchPhase::Ended, x, y);
    }

    void drag(float x0, float y0, float x1, float y1, int steps = 10)
    {
        touch(TouchPhase::Began, x0, y0);
        for (int i = 1; i <= steps; ++i)
            touch(TouchPhase::Moved, x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        touch(TouchPhase::Ended, x1, y1);
    }

    // The first view in the tree, depth first, that satisfies pred.
    View* find(const std::function<bool(View*)>& pred, View* from = nullptr)
    {
        View* v = from ? from : &screen.root();
        if (pred(v))
            return v;
        for (const auto& sub : v->subviews())
            if (View* found = find(pred, sub.get()))
                return found;
        return nullptr;
    }

    template <typename T>
    T* findKind()
    {
        return dynamic_cast<T*>(find([](View* v) { return dynamic_cast<T*>(v) != nullptr; }));
    }

    Button* button(const std::string& title)
    {
        return dynamic_cast<Button*>(find([&](View* v) {
            auto* b = dynamic_cast<Button*>(v);
            return b && b->title() == title;
        }));
    }

    // Taps the middle of a button found by its title.
    void tapButton(const std::string& title)
    {
        Button* b = button(title);
        ASSERT_NE(b, nullptr) << "no button " << title;
        const Rect f = b->frame();
        const Point p = b->superview()->convertToScreen({f.x + f.width / 2, f.y + f.height / 2});
        tap(p.x, p.y);
    }

    InfoView* openOverlay()
    {
        tap(315, 475);
        return findKind<InfoView>();
    }

    Screen screen;
};

}  // namespace zorbel::test
