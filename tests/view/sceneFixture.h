// A headless scene: the app's GL view on an EGL surfaceless context,
// rendering 320 x 480 pixels, with helpers to read its pictures back.
#pragma once

#include "app/iZorbelAppDelegate.h"
#include "figure/myGuy.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "view/EAGLView.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace zorbel::test {

struct Pixel {
    int r, g, b, a;
};

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
        ASSERT_TRUE(view->layer().readPresentedPixels(pixels, width, height));
        ASSERT_EQ(width, 320);
        ASSERT_EQ(height, 480);
    }

    Pixel at(int x, int y) const
    {
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }

    // Counts the pixels within `radius` of (cx, cy) that satisfy pred.
    template <typename Pred>
    int countNear(int cx, int cy, int radius, Pred pred) const
    {
        int n = 0;
        for (int y = cy - radius; y <= cy + radius; ++y)
            for (int x = cx - radius; x <= cx + radius; ++x)
                if (x >= 0 && y >= 0 && x < width && y < height && pred(at(x, y)))
                    ++n;
        return n;
    }

    std::shared_ptr<EAGLContext> context;
    std::unique_ptr<EAGLView> view;
    iZorbelAppDelegate delegate;
    Guy* guy = nullptr;
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
};

inline bool isChalk(const Pixel& p)
{
    return p.r > 150 && p.g > 150 && p.b > 150;
}

inline bool isBoard(const Pixel& p)
{
    return p.r < 110 && p.g < 110 && p.b < 110 && std::abs(p.r - p.b) < 30;
}

inline bool isYellow(const Pixel& p)
{
    return p.r > 150 && p.g > 150 && p.b < 110;
}

inline bool isLightBlue(const Pixel& p)
{
    return p.b > 140 && p.b > p.r + 40;
}

}  // namespace zorbel::test
