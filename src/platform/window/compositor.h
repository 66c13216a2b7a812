// Draws the window's picture into the bound window framebuffer: black, the
// GL layer's last presented picture in the letterboxed screen area, then (if
// not 0) the views' premultiplied-alpha texture over the same area. The GL
// state a scene relies on is put back afterwards.
#pragma once

#include "platform/gles/gles.h"
#include "platform/window/letterbox.h"

namespace zorbel {

class EAGLLayer;

// The part of the screen the overlay is drawn over, in fractions of the
// screen's width and height from its top left: where its views are. Outside
// it the overlay is clear, and drawing it there would cost a blended pass
// over the whole window for nothing.
struct OverlayPart {
    float left = 0, top = 0, right = 1, bottom = 1;
};

// width x height: the drawable, in pixels. The overlay's row t = 0 is the top
// of the screen and it spans [0, overlayMaxS] x [0, overlayMaxT] of its texture.
// `only`: onlyCount rectangles to draw in, in the drawable's pixels from its
// top left (null: everywhere); the rest of the drawable is left as it is.
void compositeScreen(int width, int height, const EAGLLayer& glLayer, GLuint overlayTexture, float overlayMaxS,
                     float overlayMaxT, OverlayPart part = {}, const PixelRect* only = nullptr, int onlyCount = 0);

// Where the overlay's part lies in a width x height drawable, in its pixels
// from its top left.
PixelRect overlayPixels(int width, int height, OverlayPart part);

}  // namespace zorbel
