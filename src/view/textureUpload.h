// Every texture of the program is made by one procedure: RGBA, 8 bits per
// component, premultiplied, the image's own size, linear minifying filter,
// the image's top row at t = 0.
#pragma once

#include "platform/gles/gles.h"

namespace zorbel {

struct RGBAImage;

// Uploads into `texture`, or into a new texture name when it is 0, and
// returns the name (left bound).
GLuint uploadTexture(const RGBAImage& image, GLuint texture = 0);

// A shipped resource image by name; 0 when it cannot be had.
GLuint loadResourceTexture(const char* name);

}  // namespace zorbel
