// Video views: a live picture kept as a cairo surface, so drawing it costs
// no conversion.
#include "platform/kit/cairoContext.h"
#include "platform/kit/kit.h"
#include "platform/log/log.h"

#include <algorithm>

namespace zorbel {

struct VideoView::Picture {
    cairo_surface_t* surface = nullptr;
    int width = 0, height = 0;
    ~Picture() { cairo_surface_destroy(surface); }
};

VideoView::VideoView(Rect frame) : View(frame)
{
    setUserInteractionEnabled(false);
}

VideoView::~VideoView() = default;

bool VideoView::setPixels(const uint8_t* rgba, int width, int height, int stride)
{
    setNeedsDisplay();
    if (!rgba || width <= 0 || height <= 0 || width > 16384 || height > 16384 || stride < width * 4) {
        logLine("kit: ignoring a %d x %d video picture", width, height);
        picture_.reset();
        return false;
    }
    if (!picture_ || picture_->width != width || picture_->height != height) {
        picture_.reset();
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
            logLine("kit: no memory for a %d x %d video picture", width, height);
            cairo_surface_destroy(s);
            return false;
        }
        picture_ = std::make_unique<Picture>();
        picture_->surface = s;
        picture_->width = width;
        picture_->height = height;
    }
    cairo_surface_t* s = picture_->surface;
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int dstStride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgba + static_cast<size_t>(y) * stride;
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * dstStride);
        for (int x = 0; x < width; ++x, src += 4)
            row[x] = 0xFF000000u | uint32_t(src[0]) << 16 | uint32_t(src[1]) << 8 | src[2];
    }
    cairo_surface_mark_dirty(s);
    return true;
}

void VideoView::setMirrored(bool on)
{
    mirrored_ = on;
    setNeedsDisplay();
}

void VideoView::drawRect(GraphicsContext& context, Rect)
{
    cairo_t* cr = cairoOf(context);
    if (!cr || !picture_)
        return;
    const Rect b = bounds();
    const double scale = std::min(b.width / picture_->width, b.height / picture_->height);
    const double w = picture_->width * scale, h = picture_->height * scale;
    const double x = (b.width - w) / 2, y = (b.height - h) / 2;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, mirrored_ ? x + w : x, y);
    cairo_scale(cr, mirrored_ ? -scale : scale, scale);
    cairo_set_source_surface(cr, picture_->surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
}

}  // namespace zorbel
