#include "platform/imaging/image.h"

#include <algorithm>
#include <cairo.h>

namespace zorbel {

// Cairo's ARGB32 keeps one native-endian 32-bit word per pixel (A high, B low),
// premultiplied like RGBAImage; only the byte order differs.

bool loadPNG(const std::string& path, RGBAImage& out)
{
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
        if (ok) {
            const unsigned char* data = cairo_image_surface_get_data(argb);
            const int stride = cairo_image_surface_get_stride(argb);
            out.width = w;
            out.height = h;
            out.pixels.resize(size_t(w) * h * 4);
            uint8_t* dst = out.pixels.data();
            for (int y = 0; y < h; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
                for (int x = 0; x < w; ++x, dst += 4) {
                    const uint32_t p = row[x];
                    dst[0] = uint8_t(p >> 16);
                    dst[1] = uint8_t(p >> 8);
                    dst[2] = uint8_t(p);
                    dst[3] = uint8_t(p >> 24);
                }
            }
        }
        cairo_surface_destroy(argb);
    }
    cairo_surface_destroy(png);
    return ok;
}

bool savePNG(const std::string& path, const RGBAImage& img)
{
    if (img.width <= 0 || img.height <= 0 || img.pixels.size() != size_t(img.width) * img.height * 4)
        return false;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img.width, img.height);
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        cairo_surface_flush(s);
        unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        const uint8_t* src = img.pixels.data();
        for (int y = 0; y < img.height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
            for (int x = 0; x < img.width; ++x, src += 4) {
                // A premultiplied colour never exceeds its alpha; clamp so that a
                // malformed pixel cannot overflow when cairo un-premultiplies it.
                const uint32_t a = src[3];
                row[x] = a << 24 | uint32_t(std::min(src[0], src[3])) << 16 | uint32_t(std::min(src[1], src[3])) << 8 |
                         std::min(src[2], src[3]);
            }
        }
        cairo_surface_mark_dirty(s);
        ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    }
    cairo_surface_destroy(s);
    return ok;
}

}  // namespace zorbel
