// RGBAImage and cairo's ARGB32 surfaces hold the same premultiplied pixels;
// cairo keeps one native-endian 32-bit word per pixel (A high, B low), so
// only the byte order differs. For platform code that draws with cairo.
#pragma once

#include "platform/imaging/image.h"

#include <cairo.h>

namespace zorbel {

// A copy of the image; nullptr (logged) when it is malformed or too large.
// Colours above their alpha, which a premultiplied pixel never has, are clamped.
cairo_surface_t* surfaceFromImage(const RGBAImage& image);

// The width x height pixels at (x, y) of an ARGB32 surface; the whole
// surface by default.
void imageFromSurface(cairo_surface_t* surface, RGBAImage& out, int x = 0, int y = 0, int width = -1, int height = -1);

}  // namespace zorbel
