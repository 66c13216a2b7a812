// Small cairo drawing helpers for the controls' look.
#pragma once

#include "platform/kit/kit.h"

#include <cairo.h>

namespace zorbel {

// An opaque colour from 0xRRGGBB, optionally translucent.
constexpr Color rgb(unsigned hex, float alpha = 1)
{
    return {((hex >> 16) & 0xff) / 255.0f, ((hex >> 8) & 0xff) / 255.0f, (hex & 0xff) / 255.0f, alpha};
}

void setSource(cairo_t* cr, Color c);
// A rounded rectangle path (radius clamped to half the shorter side).
void roundedRectPath(cairo_t* cr, Rect r, float radius);
// Sets a vertical gradient from `top` at y0 to `bottom` at y1 as the source.
void setVerticalGradient(cairo_t* cr, Color top, Color bottom, float y0, float y1);
// Fills the current path with a vertical gradient, keeping the path.
void fillGradientPreserve(cairo_t* cr, Color top, Color bottom, float y0, float y1);

}  // namespace zorbel
