// Which view a touch goes to, and where unhandled touches go from there.
#include "kitTestSupport.h"

#include <gtest/gtest.h>

namespace zorbel {
namespace {

using test::addTo;
using test::Finger;
using test::RecordingView;

TEST(KitHitTest, DeepestTopMostVisibleInteractiveViewWithThinSlidersAndPassingLabels)
{
    Screen screen;
    auto panel = addTo<View>(screen.root(), Rect{20, 20, 200, 200});
    auto below = addTo<View>(*panel, Rect{10, 10, 50, 50});
    auto above = addTo<View>(*panel, Rect{30, 30, 50, 50});
    auto inner = addTo<View>(*below, Rect{0, 0, 10, 10});
    auto out = addTo<View>(*panel, Rect{170, 170, 100, 100});  // sticks out of its parent

    View& root = screen.root();
    EXPECT_EQ(root.hitTest({20 + 40, 20 + 40}), above.get());  // overlap: the later one is on top
    EXPECT_EQ(root.hitTest({20 + 25, 20 + 25}), below.get());
    EXPECT_EQ(root.hitTest({20 + 12, 20 + 12}), inner.get());
    EXPECT_EQ(root.hitTest({20 + 150, 20 + 150}), panel.get());
    EXPECT_EQ(root.hitTest({300, 400}), &root);

    EXPECT_EQ(root.hitTest({20 + 180, 20 + 180}), out.get());
    EXPECT_EQ(root.hitTest({20 + 210, 20 + 210}), &root);  // outside the parent: not hit

    // Re-adding a view brings it to the top.
    panel->addSubview(below);
    EXPECT_EQ(root.hitTest({20 + 40, 20 + 40}), below.get());
    out->setAlpha(0);
    EXPECT_EQ(root.hitTest({20 + 180, 20 + 180}), panel.get());
    panel->setUserInteractionEnabled(false);  // takes its subviews along
    EXPECT_EQ(root.hitTest({20 + 40, 20 + 40}), &root);

    // A thin slider takes touches in a taller band.
    auto slider = addTo<Slider>(root, Rect{20, 300, 200, 7});
    EXPECT_EQ(root.hitTest({100, 300 - 12}), slider.get());
    EXPECT_EQ(root.hitTest({100, 307 + 12}), slider.get());
    EXPECT_EQ(root.hitTest({100, 300 - 20}), &root);
    EXPECT_EQ(root.hitTest({10, 303}), &root);
    // Labels and images let touches through to the view below.
    auto button = addTo<Button>(root, Rect{20, 400, 120, 40});
    addTo<Label>(root, Rect{0, 380, 200, 100})->setText("over the button");
    auto image = std::make_shared<RGBAImage>(RGBAImage{2, 2, std::vector<uint8_t>(16, 255)});
    addTo<ImageView>(root, image)->setFrame({0, 380, 200, 100});
    EXPECT_EQ(root.hitTest({50, 410}), button.get());
}

TEST(KitResponderChain, PlainViewsAndControllersPassTouchesToTheViewBelow)
{
    // A GL-like view at the bottom, a controller's translucent overlay above it.
    Screen screen;
    auto gl = addTo<RecordingView>(screen.root(), Rect{0, 0, 320, 480});
    auto overlay = std::make_shared<ViewController>();
    gl->addSubview(overlay->view());
    auto page = addTo<View>(*overlay->view(), Rect{20, 20, 280, 300});
    page->setBackgroundColor(Color::white());
    auto button = addTo<Button>(*page, Rect{20, 20, 100, 40});

    Finger finger(screen, 7);
    finger.down(100, 200);  // on the page, through the page and the controller's view
    finger.move(110, 210);
    finger.up();
    ASSERT_EQ(gl->calls.size(), 3u);
    EXPECT_EQ(gl->calls[1].phase, TouchPhase::Moved);
    EXPECT_EQ(gl->calls[1].touches.at(0).locationInView(page.get()).x, 90);
    finger.tap({50, 50});  // on the button: kept by it
    EXPECT_EQ(gl->calls.size(), 3u);
}

}  // namespace
}  // namespace zorbel
