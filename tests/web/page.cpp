#include "page.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace zorbel::test {

Pixel at(const RGBAImage& img, int x, int y)
{
    const uint8_t* p = &img.pixels[(static_cast<size_t>(y) * img.width + x) * 4];
    return {p[0], p[1], p[2]};
}

bool chalk(Pixel p)
{
    return p.r > 170 && p.g > 170 && p.b > 170;
}

bool tackYellow(Pixel p)
{
    return p.r > 150 && p.g > 130 && p.b < 90;
}

bool board(Pixel p)
{
    return p.r < 110 && p.g < 110 && p.b < 110 && p.r + p.g + p.b > 30;
}

Extent extent(const RGBAImage& img, bool (*kind)(Pixel), int y0, int y1)
{
    Extent e;
    for (int y = y0; y < (y1 < 0 ? img.height : y1); ++y)
        for (int x = 0; x < img.width; ++x)
            if (kind(at(img, x, y))) {
                ++e.count;
                e.sumY += y;
                e.left = std::min(e.left, x);
                e.right = std::max(e.right, x);
                e.top = std::min(e.top, y);
                e.bottom = std::max(e.bottom, y);
            }
    return e;
}

RGBAImage cropOf(const RGBAImage& page, int x, int y, int width, int height)
{
    RGBAImage out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int row = 0; row < height; ++row)
        std::copy_n(&page.pixels[(static_cast<size_t>(row + y) * page.width + x) * 4], width * 4,
                    &out.pixels[static_cast<size_t>(row) * width * 4]);
    return out;
}

RGBAImage until(Tab& tab, const std::function<bool(const RGBAImage&)>& condition, int seconds)
{
    RGBAImage shot;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    do {
        shot = tab.screenshot();
        if (shot.width > 0 && condition(shot))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (std::chrono::steady_clock::now() < deadline);
    return shot;
}

bool standing(const RGBAImage& img)
{
    const Extent c = extent(img, chalk, 0, img.height - 60 * img.height / 480);  // not the corner icons
    const int floor = img.height - 60 * img.height / 480;
    return c.count > 300 && c.bottom > floor - 30 * img.height / 480 && c.bottom - c.top > 110 * img.height / 480 &&
           c.right - c.left < 140 * img.width / 320;
}

RGBAImage standingStill(Tab& tab, int bandTop, int bandLeft, int width, int height)
{
    auto crop = [&](const RGBAImage& page) {
        return width == 0 ? page : cropOf(page, bandLeft, bandTop, width, height);
    };
    RGBAImage before;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (std::chrono::steady_clock::now() < deadline) {
        const RGBAImage now = crop(tab.screenshot());
        if (standing(now) && before.width) {
            const Extent a = extent(before, chalk, 0, now.height * 7 / 8),
                         b = extent(now, chalk, 0, now.height * 7 / 8);
            if (std::abs(a.left - b.left) + std::abs(a.right - b.right) + std::abs(a.top - b.top) < 4)
                return now;
        }
        before = standing(now) ? now : RGBAImage();
        tab.frames(30);
    }
    return {};
}

bool boardShown(Tab& tab)
{
    return tab.waitFor("document.getElementById('board').style.visibility == 'visible'");
}

bool screensShown(Tab& tab, bool shown)
{
    return tab.waitFor(std::string("document.getElementById('screens').style.visibility == '") +
                           (shown ? "visible'" : "hidden'"),
                       5000);
}

void tap(Tab& tab, double x, double y)
{
    tab.touch("touchStart", {{x, y, 1}});
    tab.touch("touchEnd", {});
}

void openSettings(Tab& tab)
{
    tap(tab, 312, 472);
    ASSERT_TRUE(screensShown(tab));
    tap(tab, 50, 462);
    tab.frames(3);
}

void openFacePicker(Tab& tab)
{
    openSettings(tab);
    tap(tab, 160, 85);
    tab.frames(3);
}

}  // namespace zorbel::test
