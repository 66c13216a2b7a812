// PNG decoding and encoding with cairo (and libpng beneath it).
#include "platform/imaging/image.h"

#include "platform/imaging/cairoPixels.h"
#include "platform/imaging/pngFile.h"

#include <cairo.h>

namespace zorbel {

// Cairo's ARGB32 keeps one native-endian 32-bit word per pixel (A high, B low),
// premultiplied like RGBAImage; only the byte order differs.

bool loadPNG(const std::string& path, RGBAImage& out, int maxSide)
{
    if (!pngSafeToDecode(path, maxSide))
        return false;
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    bool ok = cairo_surface_status(png) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        const int w = cairo_image_surface_get_width(png);
        const int h = cairo_image_surface_get_height(png);
        // Repaint into ARGB32 whatever format the file decoded to (RGB24, A8...).
        cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_t* cr = cairo_create(argb);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, png, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(argb);
        ok = cairo_surface_status(argb) == CAIRO_STATUS_SUCCESS;
        if (ok)
            imageFromSurface(argb, out);
        cairo_surface_destroy(argb);
    }
    cairo_surface_destroy(png);
    return ok;
}

bool encodePNG(const RGBAImage& img, std::vector<uint8_t>& png)
{
    if (img.width <= 0 || img.height <= 0 || img.pixels.size() != size_t(img.width) * img.height * 4)
        return false;
    cairo_surface_t* s = surfaceFromImage(img);
    bool ok = s != nullptr;
    if (ok) {
        png.clear();
        auto append = [](void* closure, const unsigned char* bytes, unsigned int length) {
            auto* out = static_cast<std::vector<uint8_t>*>(closure);
            out->insert(out->end(), bytes, bytes + length);
            return CAIRO_STATUS_SUCCESS;
        };
        ok = cairo_surface_write_to_png_stream(s, append, &png) == CAIRO_STATUS_SUCCESS;
    }
    cairo_surface_destroy(s);
    return ok;
}

}  // namespace zorbel
