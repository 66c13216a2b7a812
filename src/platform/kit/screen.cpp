// The screen: owns the root view and draws the tree into a transparent picture.
#include "platform/imaging/image.h"
#include "platform/kit/cairoContext.h"
#include "platform/kit/screenImpl.h"
#include "platform/log/log.h"

#include <algorithm>

namespace zorbel {

namespace {

// True when `view` hides its superview's whole area: opaque, and covering
// bounds `b`. What lies under it is not drawn (a full-screen picker hides
// the screens beneath, which would otherwise be redrawn with every frame of
// a camera preview).
bool hidesAll(const View& view, Rect b)
{
    const Rect f = view.frame();
    return view.alpha() >= 1 && view.backgroundColor().a >= 1 && f.x <= b.x && f.y <= b.y &&
           f.x + f.width >= b.x + b.width && f.y + f.height >= b.y + b.height;
}

// Draws a view and its subviews, in the superview's user space.
void drawTree(View& view, CairoContext& gc)
{
    if (view.alpha() <= 0.01f)
        return;
    cairo_t* cr = gc.cairo();
    const Rect f = view.frame();
    cairo_save(cr);
    cairo_translate(cr, f.x, f.y);
    // A translucent view fades as one picture, its subviews included.
    const bool group = view.alpha() < 1;
    if (group)
        cairo_push_group(cr);
    if (view.backgroundColor().a > 0)
        gc.fillRect(view.bounds(), view.backgroundColor());
    cairo_save(cr);
    view.drawRect(gc, view.bounds());
    cairo_restore(cr);
    const std::vector<std::shared_ptr<View>> subviews = view.subviews();  // kept alive while drawn
    size_t first = subviews.size();
    while (first > 0 && !hidesAll(*subviews[first - 1], view.bounds()))
        --first;
    for (size_t i = first > 0 ? first - 1 : 0; i < subviews.size(); ++i)
        drawTree(*subviews[i], gc);
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, view.alpha());
    }
    cairo_restore(cr);
}

}  // namespace

Screen::Screen() : impl_(std::make_unique<Impl>()), root_(std::make_shared<RootView>()) {}

Screen::~Screen() = default;

bool Screen::needsDisplay() const
{
    return static_cast<const RootView&>(*root_).dirty;
}

void Screen::render(int pixelWidth, int pixelHeight, RGBAImage& out)
{
    static_cast<RootView&>(*root_).dirty = false;
    if (pixelWidth <= 0 || pixelHeight <= 0 || pixelWidth > 16384 || pixelHeight > 16384) {
        logLine("kit: cannot render the views at %d x %d pixels", pixelWidth, pixelHeight);
        out = {};
        return;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelWidth, pixelHeight);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        logLine("kit: no memory for a %d x %d picture", pixelWidth, pixelHeight);
        cairo_surface_destroy(surface);
        out = {};
        return;
    }
    cairo_t* cr = cairo_create(surface);
    // Points to pixels: one uniform scale, centred should the aspect differ.
    const double scale = std::min(pixelWidth / double(kScreenWidth), pixelHeight / double(kScreenHeight));
    cairo_translate(cr, (pixelWidth - kScreenWidth * scale) / 2, (pixelHeight - kScreenHeight * scale) / 2);
    cairo_scale(cr, scale, scale);
    CairoContext gc(cr);
    drawTree(*root_, gc);
    cairo_destroy(cr);
    imageFromSurface(surface, out);
    cairo_surface_destroy(surface);
}

}  // namespace zorbel
