#pragma once
// The application icon: a chalk stick figure dancing on a framed slate.

#include "platform/imaging/image.h"

namespace zorbel {

// Square icon of size x size pixels, straight from the drawing at that size:
// strokes and frame keep a minimum width in pixels so that small icons stay
// legible, and the chalk grain and wood grain show only on large ones.
RGBAImage makeAppIcon(int size);

// The sizes shipped in the hicolor theme, smallest first, ending with 0.
extern const int kAppIconSizes[];

}  // namespace zorbel
