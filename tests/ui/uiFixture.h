// The scene with its view tree, driven by scripted touches in-process.
#pragma once

#include "sceneFixture.h"

#include "ui/InfoView.h"
#include "ui/screens.h"
#include "viewTree.h"

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

    template <typename T> T* findKind() { return findView<T>(screen.root()); }
    Button* button(const std::string& title) { return findButton(screen.root(), title); }

    // Taps the middle of a button found by its title.
    void tapButton(const std::string& title)
    {
        Button* b = button(title);
        ASSERT_NE(b, nullptr) << "no button " << title;
        finger.tap(centreOf(*b));
    }

    InfoView* openOverlay()
    {
        finger.tap({315, 475});
        return findKind<InfoView>();
    }

    Screen screen;
    Finger finger{screen};
};

}  // namespace zorbel::test
