// Draws the window's picture into the bound window framebuffer: black, the
// GL layer's last presented picture in the letterboxed screen area, then (if
// not 0) the views' premultiplied-alpha texture over the same area. The GL
// state a scene relies on is put back afterwards.
#pragma once

#include "platform/gles/gles.h"

namespace zorbel {

class EAGLLayer;

// width x height: the drawable, in pixels. The overlay's row t = 0 is the top
// of the screen and it spans [0, overlayMaxS] x [0, overlayMaxT] of its texture.
void compositeScreen(int width, int height, const EAGLLayer& glLayer, GLuint overlayTexture, float overlayMaxS,
                     float overlayMaxT);

}  // namespace zorbel
