// One render of the info and settings overlay: every label, button, switch
// and slider of a page drawn by the kit into a 640 x 960 bitmap (two pixels
// a point), as the shells draw the screens over the board. The same program
// runs on the desktop (cairo and pango) and in the browser (Canvas 2D):
//   build/bench/zorbel-overlay-bench
//   build/web/bench/overlay.html   (bench/page_bench.cpp opens it)
// It prints the median time of a page's render, read-back of one pixel
// included so that a drawing API that defers its work has done it.
#include "platform/imaging/graphics.h"
#include "platform/imaging/image.h"
#include "platform/kit/kit.h"
#include "ui/InfoView.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace zorbel;

namespace {

double medianMicroseconds(Screen& screen, BitmapContext& bitmap, int runs)
{
    std::vector<double> times;
    RGBAImage pixel;
    for (int i = 0; i < runs + 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        bitmap.context().clear();
        screen.draw(bitmap.context());
        bitmap.readPixels(0, 0, 1, 1, pixel);
        const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        if (i >= 5)  // the first ones warm the font and glyph caches
            times.push_back(took.count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main()
{
    const int kRuns = 100;
    Screen screen;
    auto overlay = InfoView::initWithFrame(kScreenBounds);
    screen.root().addSubview(overlay);
    std::unique_ptr<BitmapContext> bitmap = BitmapContext::create(2 * kScreenWidth, 2 * kScreenHeight);
    if (!bitmap) {
        std::printf("overlay: no bitmap context\n");
        return 1;
    }
    bitmap->context().scale(2, 2);
    const double info = medianMicroseconds(screen, *bitmap, kRuns);
    overlay->settingsAction();
    const double settings = medianMicroseconds(screen, *bitmap, kRuns);
    std::printf("overlay render at 640 x 960, median of %d: info page %.0f us, settings page %.0f us\n", kRuns, info,
                settings);
    return 0;
}
