#include "platform/imaging/cairoPixels.h"

#include "platform/log/log.h"

#include <algorithm>

namespace zorbel {

cairo_surface_t* surfaceFromImage(const RGBAImage& image)
{
    if (image.width <= 0 || image.height <= 0 || image.width > 32767 || image.height > 32767 ||
        image.pixels.size() != size_t(image.width) * image.height * 4) {
        logLine("imaging: ignoring a malformed image (%d x %d, %zu bytes)", image.width, image.height,
                image.pixels.size());
        return nullptr;
    }
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        logLine("imaging: no memory for a %d x %d picture", image.width, image.height);
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const uint8_t* src = image.pixels.data();
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < image.width; ++x, src += 4) {
            const uint8_t a = src[3];
            row[x] = uint32_t(a) << 24 | uint32_t(std::min(src[0], a)) << 16 | uint32_t(std::min(src[1], a)) << 8 |
                     std::min(src[2], a);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

void imageFromSurface(cairo_surface_t* surface, RGBAImage& out, int x0, int y0, int width, int height)
{
    cairo_surface_flush(surface);
    if (width < 0)
        width = cairo_image_surface_get_width(surface) - x0;
    if (height < 0)
        height = cairo_image_surface_get_height(surface) - y0;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    out.width = width;
    out.height = height;
    out.pixels.resize(size_t(width) * height * 4);
    uint8_t* dst = out.pixels.data();
    for (int y = y0; y < y0 + height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = x0; x < x0 + width; ++x, dst += 4) {
            const uint32_t p = row[x];
            dst[0] = uint8_t(p >> 16);
            dst[1] = uint8_t(p >> 8);
            dst[2] = uint8_t(p);
            dst[3] = uint8_t(p >> 24);
        }
    }
}

}  // namespace zorbel
