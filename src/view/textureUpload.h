// Every texture of the program is made by one procedure: RGBA, 8 bits per
// component, premultiplied, the image's own size, linear minifying filter,
// the image's top row at t = 0.
#pragma once

#include "platform/gles/gles.h"

namespace zorbel {

struct RGBAImage;

// Uploads into a new texture name (left bound) and returns it.
GLuint uploadTexture(const RGBAImage& image);

// A shipped resource image by name; 0 when it cannot be had.
GLuint loadResourceTexture(const char* name);

}  // namespace zorbel
