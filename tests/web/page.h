// The page as the browser tests see it: its pixels (the board, his chalk,
// the tack), where a kind of pixel lies, waiting for a picture, and the taps
// that open the screens.
#pragma once

#include "chromium.h"

#include <functional>
#include <string>

namespace zorbel::test {

struct Pixel {
    int r, g, b;
};

Pixel at(const RGBAImage& img, int x, int y);

bool chalk(Pixel p);
bool tackYellow(Pixel p);
// The blackboard: dark, a little green or grey, never black.
bool board(Pixel p);

// Where pixels of a kind lie on the page, in its pixels.
struct Extent {
    int count = 0, left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    double sumY = 0;  // for the mean row
    double meanY() const { return count ? sumY / count : -1; }
};

Extent extent(const RGBAImage& img, bool (*kind)(Pixel), int y0 = 0, int y1 = -1);

// The width x height part of a picture at (x, y).
RGBAImage cropOf(const RGBAImage& page, int x, int y, int width, int height);

// Screenshots until `condition` holds of one; the last one.
RGBAImage until(Tab& tab, const std::function<bool(const RGBAImage&)>& condition, int seconds = 30);

// He stands: tall chalk resting on the floor, the head well above the feet.
bool standing(const RGBAImage& img);

// He stands still: standing in two shots half a second apart, his chalk in
// the same place. The last shot (of the given part of the page, or all of
// it); empty when he never settles.
RGBAImage standingStill(Tab& tab, int bandTop = 0, int bandLeft = 0, int width = 0, int height = 0);

// Waits for the page's first frame; false when it never comes.
bool boardShown(Tab& tab);
// Whether the screens over the board show, within a few seconds.
bool screensShown(Tab& tab, bool shown = true);

// A tap of one finger at a point of a 320 x 480 page.
void tap(Tab& tab, double x, double y);
// The overlay's settings page: the info corner, then Settings.
void openSettings(Tab& tab);
// The face picker: the settings page, then "Change Zorbel's face".
void openFacePicker(Tab& tab);

}  // namespace zorbel::test
