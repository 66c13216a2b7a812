// Small cairo drawing helpers for the controls' look.
#include "platform/kit/paint.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

void setSource(cairo_t* cr, Color c)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void roundedRectPath(cairo_t* cr, Rect r, float radius)
{
    const double k = std::max(0.0f, std::min({radius, r.width / 2, r.height / 2}));
    const double x0 = r.x, y0 = r.y, x1 = r.x + r.width, y1 = r.y + r.height;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x1 - k, y0 + k, k, -M_PI / 2, 0);
    cairo_arc(cr, x1 - k, y1 - k, k, 0, M_PI / 2);
    cairo_arc(cr, x0 + k, y1 - k, k, M_PI / 2, M_PI);
    cairo_arc(cr, x0 + k, y0 + k, k, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void setVerticalGradient(cairo_t* cr, Color top, Color bottom, float y0, float y1)
{
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(g, 0, top.r, top.g, top.b, top.a);
    cairo_pattern_add_color_stop_rgba(g, 1, bottom.r, bottom.g, bottom.b, bottom.a);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
}

void fillGradientPreserve(cairo_t* cr, Color top, Color bottom, float y0, float y1)
{
    setVerticalGradient(cr, top, bottom, y0, y1);
    cairo_fill_preserve(cr);
}

}  // namespace zorbel
