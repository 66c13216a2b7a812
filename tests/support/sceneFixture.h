// A headless scene: the app's GL view on an EGL surfaceless context,
// rendering 320 x 480 pixels, with helpers to read its pictures back.
#pragma once

#include "app/iZorbelAppDelegate.h"
#include "figure/myGuy.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "view/EAGLView.h"

#include "pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace zorbel::test {

class SceneTest : public ::testing::Test {
public:
    // World units to picture pixels.
    static void toPixel(float wx, float wy, int& px, int& py)
    {
        px = static_cast<int>((wx + 1.0f) * 160.0f);
        py = static_cast<int>((1.5f - wy) * 160.0f);
    }

protected:
    void SetUp() override
    {
        context = EAGLContext::createSurfaceless();
        ASSERT_TRUE(context) << "no EGL surfaceless OpenGL ES 1.1 context";
        view = EAGLView::initWithContext(context, nullptr);
        ASSERT_TRUE(view);
        delegate.glView = view.get();
        view->layer().setDrawableSize(320, 480);
        ASSERT_TRUE(view->createFramebuffer());
        guy = view->figure();
    }

    void TearDown() override
    {
        view.reset();
        context.reset();
    }

    void frames(int n)
    {
        for (int i = 0; i < n; ++i)
            view->drawView();
    }

    // The last presented picture, rows top first.
    void grab()
    {
        ASSERT_TRUE(view->layer().readPresentedPixels(picture.rgba, picture.width, picture.height));
        ASSERT_EQ(picture.width, 320);
        ASSERT_EQ(picture.height, 480);
        width = picture.width;
        height = picture.height;
    }

    Pixel at(int x, int y) const { return picture.at(x, y); }

    // One finger at (x, y), view points, through the GL view's handlers.
    void began(float x, float y) { touch(&EAGLView::touchesBegan, x, y); }
    void moved(float x, float y) { touch(&EAGLView::touchesMoved, x, y); }
    void ended(float x, float y) { touch(&EAGLView::touchesEnded, x, y); }
    void touch(void (EAGLView::*phase)(const TouchPoint*, int), float x, float y)
    {
        const TouchPoint p{x, y};
        (view.get()->*phase)(&p, 1);
    }

    // Counts the pixels within `radius` of (cx, cy) that satisfy pred.
    template <typename Pred> int countNear(int cx, int cy, int radius, Pred pred) const
    {
        return picture.countNear(cx, cy, radius, pred);
    }

    std::shared_ptr<EAGLContext> context;
    std::shared_ptr<EAGLView> view;
    iZorbelAppDelegate delegate;
    Guy* guy = nullptr;
    Picture picture;
    int width = 0;
    int height = 0;
};

}  // namespace zorbel::test
