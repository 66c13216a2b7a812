#include "platform/photos/photos.h"

#include "platform/imaging/image.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <cstring>

namespace zorbel {

namespace {

// Formats whose decoder can scale down while decoding (JPEG's DCT scaling)
// may be larger than this; others are decoded whole, so this bounds memory.
const int64_t kMaxFullDecodePixels = 64LL * 1000 * 1000;

bool isPictureName(const char* name)
{
    static const char* const endings[] = {".jpg", ".jpeg", ".png", ".gif", ".bmp", ".tif", ".tiff", ".webp", ".tga"};
    const size_t n = std::strlen(name);
    for (const char* e : endings) {
        const size_t m = std::strlen(e);
        if (n > m && g_ascii_strcasecmp(name + n - m, e) == 0)
            return true;
    }
    return false;
}

void scanFolder(const std::string& dir, int depth, std::vector<AlbumEntry>& out)
{
    GDir* d = g_dir_open(dir.c_str(), 0, nullptr);
    if (!d)
        return;
    while (const char* name = g_dir_read_name(d)) {
        if (name[0] == '.')
            continue;  // hidden files and folders
        const std::string path = dir + "/" + name;
        GStatBuf st;
        if (g_stat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth == 0)
                scanFolder(path, 1, out);
        } else if (S_ISREG(st.st_mode) && isPictureName(name)) {
            out.push_back({path, static_cast<int64_t>(st.st_mtime)});
        }
    }
    g_dir_close(d);
}

// GdkPixbuf (RGB or RGBA, straight alpha, padded rows) to premultiplied RGBA.
void toImage(GdkPixbuf* pixbuf, RGBAImage& out)
{
    const int w = gdk_pixbuf_get_width(pixbuf);
    const int h = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
    out.width = w;
    out.height = h;
    out.pixels.resize(static_cast<size_t>(w) * h * 4);
    uint8_t* dst = out.pixels.data();
    for (int y = 0; y < h; ++y) {
        const guchar* p = src + static_cast<size_t>(y) * stride;
        for (int x = 0; x < w; ++x, p += channels, dst += 4) {
            const unsigned a = alpha ? p[3] : 255;
            dst[0] = static_cast<uint8_t>((p[0] * a + 127) / 255);
            dst[1] = static_cast<uint8_t>((p[1] * a + 127) / 255);
            dst[2] = static_cast<uint8_t>((p[2] * a + 127) / 255);
            dst[3] = static_cast<uint8_t>(a);
        }
    }
}

// Decodes fitting in maxW x maxH (keeping the aspect), upright.
bool decode(const std::string& path, int maxW, int maxH, RGBAImage& out)
{
    int w = 0;
    int h = 0;
    GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), &w, &h);
    if (!format || w <= 0 || h <= 0)
        return false;
    gchar* name = gdk_pixbuf_format_get_name(format);
    const bool scalesWhileDecoding = name && std::strcmp(name, "jpeg") == 0;
    g_free(name);
    if (!scalesWhileDecoding && static_cast<int64_t>(w) * h > kMaxFullDecodePixels)
        return false;

    GError* error = nullptr;
    GdkPixbuf* pixbuf = (w > maxW || h > maxH)
                            ? gdk_pixbuf_new_from_file_at_scale(path.c_str(), maxW, maxH, TRUE, &error)
                            : gdk_pixbuf_new_from_file(path.c_str(), &error);
    g_clear_error(&error);
    if (!pixbuf)
        return false;
    GdkPixbuf* upright = gdk_pixbuf_apply_embedded_orientation(pixbuf);
    g_object_unref(pixbuf);
    if (!upright)
        return false;
    const bool ok = gdk_pixbuf_get_width(upright) > 0 && gdk_pixbuf_get_height(upright) > 0;
    if (ok)
        toImage(upright, out);
    g_object_unref(upright);
    return ok;
}

}  // namespace

std::vector<AlbumEntry> listAlbum(const std::string& dir)
{
    std::vector<AlbumEntry> entries;
    scanFolder(dir, 0, entries);
    std::stable_sort(entries.begin(), entries.end(), [](const AlbumEntry& a, const AlbumEntry& b) {
        return a.modified != b.modified ? a.modified > b.modified : a.path < b.path;
    });
    return entries;
}

bool loadPhoto(const std::string& path, RGBAImage& out, int maxSide)
{
    return decode(path, maxSide, maxSide, out);
}

bool loadThumbnail(const std::string& path, int size, RGBAImage& out)
{
    return decode(path, size, size, out);
}

}  // namespace zorbel
