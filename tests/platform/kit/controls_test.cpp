// Buttons, switches and sliders driven by scripted touches.
#include "kitTestSupport.h"

#include <gtest/gtest.h>

namespace zorbel {
namespace {

using test::addTo;
using test::Finger;
using test::RecordingView;

struct KitButton : ::testing::Test {
    Screen screen;
    std::shared_ptr<RecordingView> parent = addTo<RecordingView>(screen.root(), Rect{0, 0, 320, 480});
    std::shared_ptr<Button> button = addTo<Button>(*parent, Rect{100, 100, 100, 40});
    int fired = 0;
    void SetUp() override
    {
        button->addAction([this] { ++fired; });
    }
};

TEST_F(KitButton, FiresOnTouchUpInsideOnly)
{
    Finger finger(screen);
    finger.down(150, 120);
    EXPECT_TRUE(button->isHighlighted());
    EXPECT_EQ(fired, 0);  // not on touch-down
    finger.up();
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(button->isHighlighted());

    finger.down(150, 120);
    finger.drag(250, 120, 4);  // out of the button
    EXPECT_FALSE(button->isHighlighted());
    finger.up();
    EXPECT_EQ(fired, 1);  // released outside: nothing

    finger.down(150, 120);
    finger.drag(250, 200, 3);
    finger.drag(120, 110, 3);  // and back in
    EXPECT_TRUE(button->isHighlighted());
    finger.up();
    EXPECT_EQ(fired, 2);

    finger.down(150, 120);
    finger.cancel();
    EXPECT_EQ(fired, 2);
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_TRUE(parent->calls.empty());  // the button kept every touch

    button->setEnabled(false);  // a disabled button passes touches on
    finger.tap({150, 120});
    EXPECT_EQ(fired, 2);
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_EQ(parent->calls.size(), 2u);
}

struct KitSlider : ::testing::Test {
    Screen screen;
    // 223 points wide: the knob centre travels 200 points, from x = 31.5 to 231.5.
    std::shared_ptr<Slider> slider = addTo<Slider>(screen.root(), Rect{20, 200, 223, 7});
    Finger finger{screen};
    int fired = 0;
    void SetUp() override
    {
        slider->setMinimumValue(-1);
        slider->setMaximumValue(3);
        slider->addAction([this] { ++fired; });
    }
    static float xFor(float fraction) { return 31.5f + 200 * fraction; }
};

TEST_F(KitSlider, ValueFollowsTheFingerAndFiresOnEveryChange)
{
    slider->setValue(-1);
    finger.down(xFor(0), 203);  // where the knob already is: no change
    EXPECT_EQ(fired, 0);
    finger.drag(xFor(1), 203, 10);
    EXPECT_EQ(fired, 10);
    finger.move(xFor(0.75f), 230);  // well below the thin frame: still followed
    EXPECT_NEAR(slider->value(), 2.0f, 1e-4);
    finger.move(400, 203);  // past the right end
    EXPECT_FLOAT_EQ(slider->value(), 3);
    finger.move(420, 203);  // further past it: no change
    EXPECT_EQ(fired, 12);
    finger.move(-50, 203);  // past the left end
    EXPECT_FLOAT_EQ(slider->value(), -1);
    finger.up();
    finger.down(xFor(0.5f), 203);  // touch-down on the track: the knob jumps there
    finger.up();
    EXPECT_NEAR(slider->value(), 1.0f, 1e-4);
}

struct KitSwitch : ::testing::Test {
    Screen screen;
    std::shared_ptr<Switch> toggle = addTo<Switch>(screen.root(), Rect{100, 100, 0, 0});
    Finger finger{screen};
    int fired = 0;
    void SetUp() override
    {
        toggle->addAction([this] { ++fired; });
    }
};

TEST_F(KitSwitch, SlideSetsItByTheSideTheKnobEndsOn)
{
    const struct {
        float from, by;  // points; the knob travels 54
        bool on;
        int fired;
    } slides[] = {
        {110, 40, true, 1},   // most of the way
        {180, 60, true, 1},   // already on: slid further right, no change
        {180, -20, true, 1},  // less than half way back: stays on
        {180, -35, false, 2},
    };
    for (const auto& s : slides) {
        finger.down(s.from, 110);
        finger.drag(s.from + s.by, 110, 4);
        finger.up();
        EXPECT_EQ(toggle->isOn(), s.on) << s.from << " by " << s.by;
        EXPECT_EQ(fired, s.fired);
    }
}

}  // namespace
}  // namespace zorbel
