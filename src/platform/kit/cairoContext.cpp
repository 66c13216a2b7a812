// GraphicsContext over cairo, and RGBAImage <-> cairo surface conversion.
#include "platform/kit/cairoContext.h"

#include "platform/imaging/image.h"
#include "platform/kit/paint.h"
#include "platform/log/log.h"

namespace zorbel {

namespace {

bool wellFormed(const RGBAImage& image)
{
    if (image.width > 0 && image.height > 0 && image.width <= 32767 && image.height <= 32767 &&
        image.pixels.size() == size_t(image.width) * image.height * 4)
        return true;
    logLine("kit: ignoring a malformed image (%d x %d, %zu bytes)", image.width, image.height, image.pixels.size());
    return false;
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

}  // namespace

cairo_t* cairoOf(GraphicsContext& context)
{
    auto* cc = dynamic_cast<CairoContext*>(&context);
    return cc ? cc->cairo() : nullptr;
}

void CairoContext::fillRect(Rect r, Color c)
{
    setSource(cr_, c);
    cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
    cairo_fill(cr_);
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

cairo_surface_t* maskFromImage(const RGBAImage& image)
{
    if (!wellFormed(image))
        return nullptr;
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

}  // namespace zorbel
