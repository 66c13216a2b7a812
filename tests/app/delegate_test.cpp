// The application delegate's frame intervals, and the mouse as fingers.
#include "../view/sceneFixture.h"

#include "app/pointerTouches.h"
#include "platform/window/RunLoop.h"

#include <cstdlib>

namespace zorbel::test {
namespace {

// A scene whose frame timer runs on a real run loop.
class TimedSceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        context = EAGLContext::createSurfaceless();
        ASSERT_TRUE(context);
        view = EAGLView::initWithContext(context, &loop);
        ASSERT_TRUE(view);
        view->layer().setDrawableSize(32, 48);
        view->createFramebuffer();
        delegate.glView = view.get();
    }

    // Frames drawn while the loop runs for the given time.
    uint64_t framesIn(double seconds)
    {
        const uint64_t before = view->layer().presentCount();
        const int stop = loop.addRepeatingTimer(seconds, [this] { loop.quit(); });
        loop.run();
        loop.invalidateTimer(stop);
        return view->layer().presentCount() - before;
    }

    RunLoop loop;
    std::shared_ptr<EAGLContext> context;
    std::shared_ptr<EAGLView> view;
    iZorbelAppDelegate delegate;
};

TEST_F(TimedSceneTest, FramesSlowDownInTheBackgroundAndResumeAfter)
{
    int accelerometerStarted = 0;
    delegate.startAccelerometer = [&](double interval) {
        EXPECT_DOUBLE_EQ(interval, 1.0 / 60.0);
        ++accelerometerStarted;
    };
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(accelerometerStarted, 1);
    EXPECT_TRUE(view->isAnimating());
    EXPECT_DOUBLE_EQ(view->getAnimationInterval(), 1.0 / 60.0);
    const uint64_t active = framesIn(0.6);

    delegate.applicationWillResignActive();
    EXPECT_DOUBLE_EQ(view->getAnimationInterval(), 0.2);
    EXPECT_TRUE(view->isAnimating());
    const uint64_t inactive = framesIn(0.6);

    delegate.applicationDidBecomeActive();
    const uint64_t again = framesIn(0.6);

    // Generous bounds: 36 and 3 frames are expected.
    EXPECT_GT(active, 20u);
    EXPECT_LE(inactive, 4u);
    EXPECT_GE(inactive, 1u);
    EXPECT_GT(again, 20u);
}

TEST_F(TimedSceneTest, IntervalWithoutATimerIsOnlyStored)
{
    view->setAnimationInterval(0.5);
    EXPECT_FALSE(view->isAnimating());
    view->stopAnimation();
    view->stopAnimation();  // harmless twice
    view->startAnimation();
    EXPECT_TRUE(view->isAnimating());
    EXPECT_DOUBLE_EQ(view->getAnimationInterval(), 0.5);
}

TEST(PointerTouches, AltAddsAFingerMirroredAboutTheCentreUntilRelease)
{
    PointerTouches p;
    TouchPoint t[2];
    EXPECT_EQ(p.move(10, 10, t), 0);  // no button: no touch
    ASSERT_EQ(p.down(100, 150, true, t), 2);
    EXPECT_EQ(t[1].x, 220.0f);
    EXPECT_EQ(t[1].y, 330.0f);
    ASSERT_EQ(p.move(110, 160, t), 2);
    EXPECT_EQ(t[1].x, 210.0f);
    ASSERT_EQ(p.up(120, 170, t), 2);
    EXPECT_EQ(t[0].y, 170.0f);
    EXPECT_EQ(p.move(10, 10, t), 0);
    EXPECT_EQ(p.down(5, 6, false, t), 1);
    EXPECT_EQ(p.down(5, 6, false, t), 0);  // already down
}

}  // namespace
}  // namespace zorbel::test
