// Fitting the 320 x 480 point screen into a window: uniform scale, centred,
// black bars on the remaining sides. Plain arithmetic, no SDL.
#pragma once

#include "platform/screenSize.h"

namespace zorbel {

// Where the screen sits in an area (window units or drawable pixels): `scale`
// area units per point, and the area position of the screen's top-left
// corner.
struct Letterbox {
    float scale;
    float offsetX, offsetY;
};

// The largest uniform fit of the screen in an area of the given size,
// centred. A zero or negative area gives scale 0.
Letterbox fitLetterbox(float areaWidth, float areaHeight);

// Maps an area position to screen points. px, py are always filled, not
// clamped (a drag that leaves the screen keeps moving); returns true only
// when the position lies on the screen (0 <= px < 320, 0 <= py < 480).
// With scale 0 gives (0, 0) and false.
bool letterboxToPoints(const Letterbox& box, float x, float y, float& px, float& py);

// The screen's rectangle in whole pixels (for the quad of the composited
// picture): the top-left corner rounded to the nearest pixel, the size that
// of a GL view's picture, round(320 * scale) x round(480 * scale).
struct PixelRect {
    int x, y, width, height;
};
PixelRect letterboxPixelRect(const Letterbox& box);

// Scale (window units per point) for a new window on a display whose usable
// area is given: the largest multiple of 0.5 whose window height stays
// within 85% of the usable height and whose width fits the usable width.
// At least 0.5; 1 when the display size is unknown (zero or negative).
float initialWindowScale(int usableWidth, int usableHeight);

}  // namespace zorbel
