// Touch routing over a whole gesture, and the lifetime of views removed while
// an event is being handled.
#include "kitTestSupport.h"

#include <gtest/gtest.h>

namespace zorbel {
namespace {

using test::addTo;
using test::Finger;
using test::RecordingView;

TEST(KitDispatch, TouchesStayWithTheControlTheyBeganOn)
{
    Screen screen;
    auto below = addTo<RecordingView>(screen.root(), Rect{0, 0, 320, 480});
    auto slider = addTo<Slider>(*below, Rect{20, 100, 223, 7});
    auto other = addTo<RecordingView>(*below, Rect{0, 300, 320, 100});
    Finger finger(screen);
    finger.down(131.5f, 103);
    finger.drag(200, 350, 5);  // far below the slider, over another view
    EXPECT_NEAR(slider->value(), (200 - 31.5f) / 200, 1e-4);
    finger.up();
    EXPECT_TRUE(below->calls.empty());
    EXPECT_TRUE(other->calls.empty());
}

TEST(KitDispatch, GroupsTouchesPerViewInTheEventsOrder)
{
    Screen screen;
    auto left = addTo<RecordingView>(screen.root(), Rect{0, 0, 160, 480});
    auto right = addTo<RecordingView>(screen.root(), Rect{160, 0, 160, 480});
    left->setMultipleTouchEnabled(true);  // `right` follows one finger only
    screen.dispatch(TouchPhase::Began, {{1, {10, 10}}, {2, {200, 10}}, {3, {20, 20}}});
    screen.dispatch(TouchPhase::Began, {{4, {250, 10}}});
    screen.dispatch(TouchPhase::Moved, {{3, {300, 300}}, {4, {260, 20}}, {2, {10, 400}}, {1, {15, 15}}});
    screen.dispatch(TouchPhase::Ended, {{1, {15, 15}}, {2, {10, 400}}, {3, {300, 300}}, {4, {260, 20}}});

    ASSERT_EQ(left->calls.size(), 3u);
    ASSERT_EQ(left->calls[1].touches.size(), 2u);
    EXPECT_EQ(left->calls[1].touches[0].id, 3);  // in the event's order
    EXPECT_EQ(left->calls[1].touches[1].id, 1);
    EXPECT_EQ(left->calls[2].phase, TouchPhase::Ended);
    ASSERT_EQ(right->calls.size(), 3u);
    for (const auto& call : right->calls)  // moved over `left`, still `right`'s
        EXPECT_TRUE(call.touches.size() == 1 && call.touches[0].id == 2);
}

// An overlay whose Dismiss button removes the overlay from its own action.
TEST(KitDispatch, ViewRemovedFromItsOwnActionLivesUntilTheEventIsDone)
{
    Screen screen;
    std::weak_ptr<View> overlay, dismiss;
    bool aliveInAction = false;
    {
        auto page = addTo<View>(screen.root(), Rect{0, 0, 320, 480});
        auto button = addTo<Button>(*page, Rect{100, 400, 120, 40});
        View* raw = page.get();
        Button* self = button.get();
        button->addAction([&, raw, self] {
            raw->removeFromSuperview();
            aliveInAction = !overlay.expired() && !dismiss.expired();
            self->setTitle("still here");  // touching it after its removal is fine
        });
        overlay = page;
        dismiss = button;
    }
    Finger finger(screen);
    finger.down(150, 420);
    EXPECT_FALSE(overlay.expired());
    finger.up();
    EXPECT_TRUE(aliveInAction);
    EXPECT_TRUE(overlay.expired());
    EXPECT_TRUE(dismiss.expired());
    EXPECT_TRUE(screen.root().subviews().empty());
}

TEST(KitDispatch, ControlRemovedMidGestureStopsReceiving)
{
    Screen screen;
    auto slider = addTo<Slider>(screen.root(), Rect{20, 100, 223, 7});
    int fired = 0;
    slider->addAction([&] { ++fired; });
    Finger finger(screen);
    finger.down(31.5f, 103);
    finger.move(81.5f, 103);
    EXPECT_EQ(fired, 1);
    slider->removeFromSuperview();  // still owned here, but off the screen
    finger.move(231.5f, 103);
    finger.up();
    EXPECT_EQ(fired, 1);
    EXPECT_NEAR(slider->value(), 0.25f, 1e-4);

    std::weak_ptr<Slider> weak = slider;
    screen.root().addSubview(slider);
    finger.down(31.5f, 103);
    slider.reset();
    screen.root().subviews().front()->removeFromSuperview();  // destroyed now: no event running
    EXPECT_TRUE(weak.expired());
    finger.move(100, 103);  // its touch now leads nowhere
    finger.up();
}

}  // namespace
}  // namespace zorbel
