// Text drawn with pango: the system font, wrapped or cut to a number of
// lines, aligned, vertically centred in a rectangle.
#pragma once

#include "platform/kit/kit.h"

#include <cairo.h>

namespace zorbel {

struct TextStyle {
    Font font;
    bool bold = false;
    Color color = Color::black();
    TextAlignment alignment = TextAlignment::Left;
    int lines = 1;          // 0 = as many as fit, wrapped at word boundaries
    float minimumSize = 0;  // > 0: one line too wide shrinks down to this size
};

// Draws `text` (UTF-8) in r, in the current user space (points). A line too
// long for r ends in an ellipsis.
void drawText(cairo_t* cr, const std::string& text, const TextStyle& style, Rect r);

}  // namespace zorbel
