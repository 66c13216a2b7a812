// What the screen's rendered picture shows, at 1x and 2x pixel scale.
#include "kitTestSupport.h"

#include <gtest/gtest.h>

namespace zorbel {
namespace {

using test::addTo;
using test::countPixels;
using test::isBlue;
using test::isTransparent;
using test::near;
using test::Pixel;
using test::pixelAt;

RGBAImage render(Screen& screen, int scale)
{
    RGBAImage out;
    screen.render(320 * scale, 480 * scale, out);
    return out;
}

bool hasInk(Pixel p)
{
    return p.a > 0;
}

class KitRenderScale : public ::testing::TestWithParam<int> {};

TEST_P(KitRenderScale, AlphaFadesAViewWithItsSubviewsAsOne)
{
    const int s = GetParam();
    Screen screen;
    auto page = addTo<View>(screen.root(), Rect{0, 0, 200, 200});
    page->setBackgroundColor(Color::white());
    page->setAlpha(0.5f);
    auto card = addTo<View>(*page, Rect{50, 50, 20, 20});
    card->setBackgroundColor(Color::black());
    const RGBAImage out = render(screen, s);
    const Pixel onCard = pixelAt(out, 60 * s, 60 * s);
    EXPECT_NEAR(onCard.a, 128, 1);  // not 0.75: the card covers the page within the group
    EXPECT_EQ(onCard.r, 0);
    const Pixel onPage = pixelAt(out, 10 * s, 10 * s);
    EXPECT_NEAR(onPage.a, 128, 1);
    EXPECT_EQ(onPage.r, onPage.a);
}

TEST_P(KitRenderScale, LabelTextStaysInsideItsFrame)
{
    const int s = GetParam();
    Screen screen;
    auto label = addTo<Label>(screen.root(), Rect{40, 100, 200, 30});
    label->setText("Shake to dance");
    const RGBAImage out = render(screen, s);
    const int ink = countPixels(out, 40 * s, 100 * s, 240 * s, 130 * s, hasInk);
    EXPECT_GT(ink, 60 * s * s);
    EXPECT_EQ(countPixels(out, 0, 0, out.width, out.height, hasInk), ink);
    // Black text, vertically centred: as much ink above the middle as below, roughly.
    EXPECT_GT(countPixels(out, 40 * s, 100 * s, 240 * s, 130 * s, [](Pixel p) { return p.a > 200 && p.r < 60; }), 0);
    const int top = countPixels(out, 40 * s, 100 * s, 240 * s, 115 * s, hasInk);
    EXPECT_GT(top, ink / 4);
    EXPECT_LT(top, ink * 3 / 4);
}

INSTANTIATE_TEST_SUITE_P(Scales, KitRenderScale, ::testing::Values(1, 2));

// The ink's horizontal extent [first, last] column in a band of rows.
std::pair<int, int> inkColumns(const RGBAImage& img, int y0, int y1)
{
    int first = img.width, last = -1;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < img.width; ++x)
            if (hasInk(pixelAt(img, x, y))) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

TEST(KitRender, LabelCentringAndWrapping)
{
    Screen screen;
    auto centred = addTo<Label>(screen.root(), Rect{0, 0, 320, 40});
    centred->setText("Hi");
    centred->setTextAlignment(TextAlignment::Center);
    const std::string words = "The quick brown fox jumps over the lazy dog again and again";
    auto single = addTo<Label>(screen.root(), Rect{0, 100, 150, 120});
    single->setText(words);
    auto wrapped = addTo<Label>(screen.root(), Rect{160, 100, 150, 120});
    wrapped->setText(words);
    wrapped->setNumberOfLines(0);
    const RGBAImage out = render(screen, 1);

    const auto [c0, c1] = inkColumns(out, 0, 40);
    EXPECT_NEAR((c0 + c1) / 2.0, 160, 3);

    auto rowsWithInk = [&](int x0, int x1) {
        int rows = 0;
        for (int y = 100; y < 220; ++y)
            rows += countPixels(out, x0, y, x1, y + 1, hasInk) > 0;
        return rows;
    };
    const int singleRows = rowsWithInk(0, 150);
    EXPECT_GT(singleRows, 8);
    EXPECT_LT(singleRows, 25);  // one line, cut with an ellipsis
    EXPECT_GT(rowsWithInk(160, 310), 3 * singleRows);
    EXPECT_EQ(countPixels(out, 150, 100, 160, 220, hasInk), 0);  // neither spills into the gap
}

TEST(KitRender, ControlsShowTheirState)
{
    Screen screen;
    auto button = addTo<Button>(screen.root(), Rect{20, 20, 120, 40});
    button->setTitle("Done");
    auto off = addTo<Switch>(screen.root(), Rect{20, 100, 0, 0});
    auto on = addTo<Switch>(screen.root(), Rect{150, 100, 0, 0});
    on->setOn(true);
    auto slider = addTo<Slider>(screen.root(), Rect{20, 200, 223, 7});
    slider->setValue(0.5f);
    const RGBAImage normal = render(screen, 2);

    // A white button with a blue title; blue when pressed.
    EXPECT_EQ(pixelAt(normal, 2 * 25, 2 * 40).a, 255);
    EXPECT_GT(pixelAt(normal, 2 * 25, 2 * 40).r, 240);
    EXPECT_GT(countPixels(normal, 40, 40, 280, 120, isBlue), 30);
    screen.dispatch(TouchPhase::Began, {{1, {80, 40}}});
    const RGBAImage pressed = render(screen, 2);
    EXPECT_TRUE(isBlue(pixelAt(pressed, 2 * 25, 2 * 40)));
    screen.dispatch(TouchPhase::Cancelled, {{1, {80, 40}}});

    // Switches: the "on" one is blue left of its knob, the "off" one not at all.
    EXPECT_GT(countPixels(normal, 2 * 150, 2 * 100, 2 * 200, 2 * 127, isBlue), 1000);
    EXPECT_EQ(countPixels(normal, 2 * 20, 2 * 100, 2 * 114, 2 * 127, isBlue), 0);

    // Slider at the middle: blue track left of the knob (x = 131.5), grey right of it.
    auto trackBlue = [&](int x0, int x1) { return countPixels(normal, 2 * x0, 2 * 203, 2 * x1, 2 * 204, isBlue); };
    EXPECT_GT(trackBlue(40, 110), 100);
    EXPECT_EQ(trackBlue(150, 230), 0);
    EXPECT_GT(countPixels(normal, 2 * 150, 2 * 203, 2 * 230, 2 * 204, [](Pixel p) { return p.a > 200; }), 100);
}

}  // namespace
}  // namespace zorbel
