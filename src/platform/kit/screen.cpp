// The screen: owns the root view and draws the tree into a transparent picture.
#include "platform/imaging/image.h"
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
void drawTree(View& view, GraphicsContext& gc)
{
    if (view.alpha() <= 0.01f)
        return;
    const Rect f = view.frame();
    gc.save();
    gc.translate(f.x, f.y);
    // A translucent view fades as one picture, its subviews included.
    const bool group = view.alpha() < 1;
    if (group)
        gc.beginLayer();
    if (view.backgroundColor().a > 0)
        gc.fillRect(view.bounds(), view.backgroundColor());
    gc.save();
    view.drawRect(gc, view.bounds());
    gc.restore();
    const std::vector<std::shared_ptr<View>> subviews = view.subviews();  // kept alive while drawn
    size_t first = subviews.size();
    while (first > 0 && !hidesAll(*subviews[first - 1], view.bounds()))
        --first;
    for (size_t i = first > 0 ? first - 1 : 0; i < subviews.size(); ++i)
        drawTree(*subviews[i], gc);
    if (group)
        gc.endLayer(view.alpha());
    gc.restore();
}

}  // namespace

Screen::Screen() : impl_(std::make_unique<Impl>()), root_(std::make_shared<RootView>()) {}

Screen::~Screen() = default;

bool Screen::needsDisplay() const
{
    return static_cast<const RootView&>(*root_).dirty;
}

void Screen::draw(GraphicsContext& context)
{
    static_cast<RootView&>(*root_).dirty = false;
    drawTree(*root_, context);
}

void Screen::render(int pixelWidth, int pixelHeight, RGBAImage& out)
{
    static_cast<RootView&>(*root_).dirty = false;
    out = {};
    if (pixelWidth <= 0 || pixelHeight <= 0 || pixelWidth > 16384 || pixelHeight > 16384) {
        logLine("kit: cannot render the views at %d x %d pixels", pixelWidth, pixelHeight);
        return;
    }
    std::unique_ptr<BitmapContext> bitmap = BitmapContext::create(pixelWidth, pixelHeight);
    if (!bitmap)
        return;
    // Points to pixels: one uniform scale, centred should the aspect differ.
    const double scale = std::min(pixelWidth / double(kScreenWidth), pixelHeight / double(kScreenHeight));
    GraphicsContext& gc = bitmap->context();
    gc.translate((pixelWidth - kScreenWidth * scale) / 2, (pixelHeight - kScreenHeight * scale) / 2);
    gc.scale(scale, scale);
    draw(gc);
    bitmap->readPixels(0, 0, pixelWidth, pixelHeight, out);
}

}  // namespace zorbel
