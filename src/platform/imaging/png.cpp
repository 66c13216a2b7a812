#include "platform/imaging/image.h"

#include "platform/imaging/cairoPixels.h"

#include <algorithm>
#include <cairo.h>
#include <cstdio>

namespace zorbel {

// Cairo's ARGB32 keeps one native-endian 32-bit word per pixel (A high, B low),
// premultiplied like RGBAImage; only the byte order differs.

bool pngHeaderSize(const std::string& path, int& width, int& height)
{
    // Signature (8 bytes), then the IHDR chunk: length, type, width, height.
    unsigned char header[24];
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    const size_t got = std::fread(header, 1, sizeof header, f);
    std::fclose(f);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (got != sizeof header || !std::equal(signature, signature + 8, header) ||
        !std::equal(header + 12, header + 16, reinterpret_cast<const unsigned char*>("IHDR")))
        return false;
    auto be32 = [](const unsigned char* p) {
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    };
    const uint32_t w = be32(header + 16);
    const uint32_t h = be32(header + 20);
    if (w == 0 || h == 0 || w > 0x7fffffff || h > 0x7fffffff)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

namespace {

// libpng reserves a chunk's stated length before reading it: a few bytes
// claiming a 2 GB text chunk ask for 2 GB. Every chunk up to the end marker
// must fit in what is left of the file.
bool chunksFitTheFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    long at = 8;  // after the signature
    bool fits = false;
    unsigned char head[8];
    while (size >= 0 && at + 12 <= size && std::fseek(f, at, SEEK_SET) == 0 && std::fread(head, 1, 8, f) == 8) {
        const long length = long(head[0]) << 24 | long(head[1]) << 16 | long(head[2]) << 8 | head[3];
        if (length > size - at - 12)
            break;
        if (std::equal(head + 4, head + 8, reinterpret_cast<const unsigned char*>("IEND"))) {
            fits = true;
            break;
        }
        at += 12 + length;  // length, type, data, CRC
    }
    std::fclose(f);
    return fits;
}

}  // namespace

bool loadPNG(const std::string& path, RGBAImage& out, int maxSide)
{
    int claimedW = 0, claimedH = 0;
    if (!pngHeaderSize(path, claimedW, claimedH) || claimedW > maxSide || claimedH > maxSide)
        return false;  // not a PNG, or a decompression bomb
    if (!chunksFitTheFile(path))
        return false;  // cut short, or lying about its chunks
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

bool savePNG(const std::string& path, const RGBAImage& img)
{
    std::vector<uint8_t> png;
    if (!encodePNG(img, png))
        return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace zorbel
