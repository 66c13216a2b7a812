// The drawing interface over cairo, pictures as cairo image surfaces, and
// bitmaps as cairo image surfaces with a context of their own.
#include "platform/imaging/cairoContext.h"

#include "platform/imaging/cairoPixels.h"
#include "platform/log/log.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

class CairoPicture final : public Picture {
public:
    CairoPicture(cairo_surface_t* surface, int width, int height, bool opaque)
        : Picture(width, height), surface(surface), opaque(opaque)
    {
    }
    ~CairoPicture() override { cairo_surface_destroy(surface); }
    cairo_surface_t* const surface;
    const bool opaque;
};

const CairoPicture& cairoPicture(const Picture& picture)
{
    return static_cast<const CairoPicture&>(picture);
}

bool usableSize(int width, int height)
{
    return width > 0 && height > 0 && width <= 32767 && height <= 32767;
}

// Fills an RGB24 or ARGB32 surface from RGBA rows; a premultiplied colour
// above its alpha, which no real pixel has, is clamped.
void copyPixels(cairo_surface_t* s, const uint8_t* rgba, int width, int height, int stride, bool opaque)
{
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int dstStride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgba + static_cast<size_t>(y) * stride;
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * dstStride);
        if (opaque) {
            for (int x = 0; x < width; ++x, src += 4)
                row[x] = 0xFF000000u | uint32_t(src[0]) << 16 | uint32_t(src[1]) << 8 | src[2];
        } else {
            for (int x = 0; x < width; ++x, src += 4) {
                const uint8_t a = src[3];
                row[x] = uint32_t(a) << 24 | uint32_t(std::min(src[0], a)) << 16 | uint32_t(std::min(src[1], a)) << 8 |
                         std::min(src[2], a);
            }
        }
    }
    cairo_surface_mark_dirty(s);
}

// A pattern that maps the surface onto r (user space), its edge pixels
// repeated so the scaled picture does not fade out at its border.
cairo_pattern_t* stretchedPattern(cairo_surface_t* surface, int width, int height, Rect r)
{
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, width / r.width, height / r.height);
    cairo_matrix_translate(&m, -r.x, -r.y);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    return pattern;
}

// An A8 mask from a grey image: alpha = 1 - grey, transparent counts as white.
cairo_surface_t* maskFromImage(const RGBAImage& image)
{
    if (!usableSize(image.width, image.height) || image.pixels.size() != size_t(image.width) * image.height * 4) {
        logLine("imaging: ignoring a malformed mask (%d x %d, %zu bytes)", image.width, image.height,
                image.pixels.size());
        return nullptr;
    }
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, image.width, image.height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const uint8_t* src = image.pixels.data();
    for (int y = 0; y < image.height; ++y) {
        unsigned char* row = data + size_t(y) * stride;
        for (int x = 0; x < image.width; ++x, src += 4) {
            // Over white, a premultiplied grey c with alpha a reads c + (255 - a);
            // the mask's coverage is 255 minus that.
            const int grey = (src[0] + src[1] + src[2]) / 3;
            row[x] = static_cast<unsigned char>(src[3] > grey ? src[3] - grey : 0);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

bool finite(const cairo_matrix_t& m)
{
    return std::isfinite(m.xx) && std::isfinite(m.yx) && std::isfinite(m.xy) && std::isfinite(m.yy) &&
           std::isfinite(m.x0) && std::isfinite(m.y0);
}

// The sampling matrix (device pixel -> picture pixel) for the drawing matrix
// `ctm` (picture -> device), in steps pixman's 16.16 fixed point holds
// exactly: the linear part to 2^-15, the offset to 2^-16, true to the exact
// inverse at the anchor. Cairo otherwise refits its fixed-point matrix
// around the centre of whatever area is drawn, so a clipped render would
// sample a hair away from a whole one; an exact matrix has nothing to refit,
// and every pixel comes out the same however much is drawn. The error this
// costs is under 0.01 picture pixel across a face.
bool samplingMatrix(const cairo_matrix_t& ctm, double anchorX, double anchorY, cairo_matrix_t& out)
{
    cairo_matrix_t inv = ctm;
    if (!finite(ctm) || cairo_matrix_invert(&inv) != CAIRO_STATUS_SUCCESS || !finite(inv))
        return false;
    auto step = [](double v, double units) { return std::round(v * units) / units; };
    const double kMax = 16384;  // well inside pixman's 16.16 range
    out = inv;
    out.xx = step(inv.xx, 32768);
    out.yx = step(inv.yx, 32768);
    out.xy = step(inv.xy, 32768);
    out.yy = step(inv.yy, 32768);
    if (!(std::fabs(out.xx) < kMax && std::fabs(out.yx) < kMax && std::fabs(out.xy) < kMax &&
          std::fabs(out.yy) < kMax) ||
        out.xx * out.yy - out.xy * out.yx == 0)
        return false;  // zoomed past what 16.16 can express
    double px = anchorX, py = anchorY;
    cairo_matrix_transform_point(&inv, &px, &py);
    out.x0 = step(px - (out.xx * anchorX + out.xy * anchorY), 65536);
    out.y0 = step(py - (out.yx * anchorX + out.yy * anchorY), 65536);
    return std::isfinite(out.x0) && std::isfinite(out.y0);
}

void setPaint(cairo_t* cr, const Paint& paint)
{
    if (!paint.gradient) {
        cairo_set_source_rgba(cr, paint.color.r, paint.color.g, paint.color.b, paint.color.a);
        return;
    }
    cairo_pattern_t* g = cairo_pattern_create_linear(0, paint.y0, 0, paint.y1);
    cairo_pattern_add_color_stop_rgba(g, 0, paint.color.r, paint.color.g, paint.color.b, paint.color.a);
    cairo_pattern_add_color_stop_rgba(g, 1, paint.to.r, paint.to.g, paint.to.b, paint.to.a);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
}

class CairoBitmap final : public BitmapContext {
public:
    CairoBitmap(cairo_surface_t* surface, cairo_t* cr) : surface_(surface), cairo_(cr) {}
    ~CairoBitmap() override
    {
        cairo_destroy(cairo_.cr());
        cairo_surface_destroy(surface_);
    }
    // Its cairo_t is replaced when cairo has put it into an error state.
    GraphicsContext& context() override { return cairo_; }
    int width() const override { return cairo_image_surface_get_width(surface_); }
    int height() const override { return cairo_image_surface_get_height(surface_); }
    void readPixels(int x, int y, int w, int h, RGBAImage& out) override
    {
        recoverFromError();
        imageFromSurface(surface_, out, x, y, w, h);
    }

private:
    class Context : public CairoContext {
    public:
        explicit Context(cairo_t* cr) : CairoContext(cr) {}
        cairo_t* cr() const { return cr_; }
        void replace(cairo_t* cr) { cr_ = cr; }
    };

    // A context in error draws nothing more: start a fresh one, with the
    // picture cleared, and say so.
    void recoverFromError()
    {
        const cairo_status_t status = cairo_status(cairo_.cr());
        if (status == CAIRO_STATUS_SUCCESS)
            return;
        logLine("imaging: drawing failed (%s); the picture is cleared", cairo_status_to_string(status));
        cairo_destroy(cairo_.cr());
        cairo_.replace(cairo_create(surface_));
        cairo_.clear();
    }

    cairo_surface_t* surface_;
    Context cairo_;
};

}  // namespace

bool Picture::update(std::unique_ptr<Picture>& picture, const uint8_t* rgba, int width, int height, int stride,
                     bool opaque)
{
    if (!rgba || !usableSize(width, height) || stride < width * 4) {
        logLine("imaging: ignoring a %d x %d picture", width, height);
        picture.reset();
        return false;
    }
    const auto* old = static_cast<const CairoPicture*>(picture.get());
    if (!old || old->width() != width || old->height() != height || old->opaque != opaque) {
        picture.reset();
        cairo_surface_t* s =
            cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width, height);
        if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
            logLine("imaging: no memory for a %d x %d picture", width, height);
            cairo_surface_destroy(s);
            return false;
        }
        picture.reset(new CairoPicture(s, width, height, opaque));
    }
    copyPixels(cairoPicture(*picture).surface, rgba, width, height, stride, opaque);
    return true;
}

std::unique_ptr<BitmapContext> BitmapContext::create(int width, int height)
{
    if (!usableSize(width, height)) {
        logLine("imaging: cannot make a %d x %d picture", width, height);
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        logLine("imaging: no memory for a %d x %d picture", width, height);
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::unique_ptr<BitmapContext>(new CairoBitmap(surface, cr));
}

void CairoContext::save()
{
    cairo_save(cr_);
}

void CairoContext::restore()
{
    cairo_restore(cr_);
}

void CairoContext::translate(double dx, double dy)
{
    cairo_translate(cr_, dx, dy);
}

void CairoContext::scale(double sx, double sy)
{
    cairo_scale(cr_, sx, sy);
}

void CairoContext::beginPath()
{
    cairo_new_path(cr_);
}

void CairoContext::moveTo(float x, float y)
{
    cairo_move_to(cr_, x, y);
}

void CairoContext::lineTo(float x, float y)
{
    cairo_line_to(cr_, x, y);
}

void CairoContext::arc(float cx, float cy, float radius, double a0, double a1)
{
    cairo_arc(cr_, cx, cy, radius, a0, a1);
}

void CairoContext::rect(Rect r)
{
    cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
}

void CairoContext::roundedRect(Rect r, float radius)
{
    const double k = std::max(0.0f, std::min({radius, r.width / 2, r.height / 2}));
    const double x0 = r.x, y0 = r.y, x1 = r.x + r.width, y1 = r.y + r.height;
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, x1 - k, y0 + k, k, -M_PI / 2, 0);
    cairo_arc(cr_, x1 - k, y1 - k, k, 0, M_PI / 2);
    cairo_arc(cr_, x0 + k, y1 - k, k, M_PI / 2, M_PI);
    cairo_arc(cr_, x0 + k, y0 + k, k, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr_);
}

void CairoContext::fill(const Paint& paint, bool keepPath)
{
    setPaint(cr_, paint);
    if (keepPath)
        cairo_fill_preserve(cr_);
    else
        cairo_fill(cr_);
}

void CairoContext::stroke(const Paint& paint, float width, LineCap cap, LineJoin join, bool keepPath)
{
    setPaint(cr_, paint);
    cairo_set_line_width(cr_, width);
    cairo_set_line_cap(cr_, cap == LineCap::Round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr_, join == LineJoin::Round ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
    if (keepPath)
        cairo_stroke_preserve(cr_);
    else
        cairo_stroke(cr_);
}

void CairoContext::clip()
{
    cairo_clip(cr_);
}

void CairoContext::beginLayer()
{
    cairo_push_group(cr_);
}

void CairoContext::endLayer(float alpha)
{
    cairo_pop_group_to_source(cr_);
    cairo_paint_with_alpha(cr_, alpha);
}

void CairoContext::clear()
{
    cairo_save(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr_);
    cairo_restore(cr_);
}

void CairoContext::drawImage(const Image& image, Rect r)
{
    if (!image || r.width <= 0 || r.height <= 0)
        return;
    cairo_surface_t* surface = surfaceFromImage(*image);
    if (!surface)
        return;
    cairo_pattern_t* pattern = stretchedPattern(surface, image->width, image->height, r);
    cairo_set_source(cr_, pattern);
    cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
    cairo_fill(cr_);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(surface);
}

void CairoContext::drawImageMasked(const Image& image, const Image& mask, Rect r)
{
    if (!mask) {
        drawImage(image, r);
        return;
    }
    if (!image || r.width <= 0 || r.height <= 0)
        return;
    cairo_surface_t* surface = surfaceFromImage(*image);
    cairo_surface_t* alpha = maskFromImage(*mask);
    if (surface && alpha) {
        cairo_pattern_t* source = stretchedPattern(surface, image->width, image->height, r);
        cairo_pattern_t* maskPattern = stretchedPattern(alpha, mask->width, mask->height, r);
        cairo_save(cr_);
        cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
        cairo_clip(cr_);
        cairo_set_source(cr_, source);
        cairo_mask(cr_, maskPattern);
        cairo_restore(cr_);
        cairo_pattern_destroy(maskPattern);
        cairo_pattern_destroy(source);
    }
    if (alpha)
        cairo_surface_destroy(alpha);
    if (surface)
        cairo_surface_destroy(surface);
}

void CairoContext::paintPicture(const Picture& picture, Rect r)
{
    if (r.width <= 0 || r.height <= 0)
        return;
    cairo_pattern_t* pattern = stretchedPattern(cairoPicture(picture).surface, picture.width(), picture.height(), r);
    cairo_set_source(cr_, pattern);
    cairo_paint(cr_);
    cairo_pattern_destroy(pattern);
}

bool CairoContext::paintPictureMapped(const Picture& picture, const Affine& pictureToUser, Point exactAt)
{
    cairo_matrix_t userToDevice;
    cairo_get_matrix(cr_, &userToDevice);
    const Affine device = multiply(pictureToUser, Affine{userToDevice.xx, userToDevice.yx, userToDevice.xy,
                                                         userToDevice.yy, userToDevice.x0, userToDevice.y0});
    cairo_matrix_t ctm;
    cairo_matrix_init(&ctm, device.xx, device.yx, device.xy, device.yy, device.x0, device.y0);
    double anchorX = exactAt.x, anchorY = exactAt.y;
    cairo_user_to_device(cr_, &anchorX, &anchorY);
    cairo_matrix_t sampling;
    if (!samplingMatrix(ctm, anchorX, anchorY, sampling))
        return false;
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_pattern_t* source = cairo_pattern_create_for_surface(cairoPicture(picture).surface);
    cairo_pattern_set_matrix(source, &sampling);
    cairo_pattern_set_filter(source, CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(source, CAIRO_EXTEND_NONE);
    cairo_set_source(cr_, source);
    cairo_pattern_destroy(source);
    cairo_paint(cr_);
    cairo_restore(cr_);
    return true;
}

void CairoContext::drawText(const std::string& text, const TextStyle& style, Rect r)
{
    drawCairoText(cr_, text, style, r);
}

float CairoContext::textWidth(const std::string& text, const TextStyle& style)
{
    return cairoTextWidth(cr_, text, style);
}

}  // namespace zorbel
