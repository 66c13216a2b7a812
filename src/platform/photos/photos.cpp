#include "platform/photos/photos.h"

#include "platform/imaging/image.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zorbel {

namespace {

// Formats whose decoder can scale down while decoding (JPEG's DCT scaling)
// may be larger than this; others are decoded whole, so this bounds memory.
const int64_t kMaxFullDecodePixels = 64LL * 1000 * 1000;

bool isPictureName(const char* name)
{
    static const char* const endings[] = {".jpg", ".jpeg", ".png", ".gif", ".tif", ".tiff", ".webp", ".tga"};
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

// A JPEG cut short decodes without any error, its missing rows grey. Its
// image data must reach the end-of-image marker: the segments before the
// first scan are skipped by their lengths (an EXIF thumbnail has its own
// marker), and inside the scans every 0xFF byte is stuffed or a restart
// marker, so FF D9 there is the end.
bool jpegReachesItsEnd(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    auto byte = [f] { return std::fgetc(f); };
    bool whole = false;
    if (byte() == 0xff && byte() == 0xd8) {
        for (;;) {
            int c = byte();
            if (c != 0xff)
                break;
            while (c == 0xff)
                c = byte();  // fill bytes
            if (c == EOF || c == 0xd9)
                break;
            if (c == 0xda) {  // start of scan: look for the end marker
                unsigned char chunk[65536];
                bool afterFF = false;
                size_t got;
                while (!whole && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
                    for (size_t i = 0; i < got && !whole; ++i) {
                        whole = afterFF && chunk[i] == 0xd9;
                        afterFF = chunk[i] == 0xff;
                    }
                }
                break;
            }
            if (c == 0x01 || (c >= 0xd0 && c <= 0xd7))
                continue;  // markers without a length
            const int hi = byte();
            const int lo = byte();
            const long length = hi == EOF || lo == EOF ? 0 : hi << 8 | lo;  // counts its own two bytes
            if (length < 2 || std::fseek(f, length - 2, SEEK_CUR) != 0)
                break;
        }
    }
    std::fclose(f);
    return whole;
}

uint32_t be32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Some of gdk-pixbuf's readers reserve memory from what a header claims
// before they look further: a PNG chunk's length, or about anything in a
// BMP. A few bytes claiming 4 GB ask for 4 GB, even just to read the
// picture's size. Such claims must fit the file.
bool claimsFitTheFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    unsigned char head[26] = {};
    const size_t got = std::fread(head, 1, sizeof head, f);
    bool fits = true;
    if (got >= 2 && head[0] == 'B' && head[1] == 'M') {
        // No BMP: gdk-pixbuf's reader asks for gigabytes on some hundred
        // crafted bytes even while only reading the size, whatever the
        // header claims. Photos are hardly ever BMP files.
        fits = false;
    } else if (got >= 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0) {
        fits = false;
        unsigned char chunk[8];
        for (long at = 8; size >= 0 && at + 12 <= size; at += 12 + be32(chunk)) {
            if (std::fseek(f, at, SEEK_SET) != 0 || std::fread(chunk, 1, 8, f) != 8 ||
                be32(chunk) > static_cast<unsigned long>(size - at - 12))
                break;
            if (std::memcmp(chunk + 4, "IEND", 4) == 0) {
                fits = true;
                break;
            }
        }
    }
    std::fclose(f);
    return fits;
}

// Photo formats only: the other readers gdk-pixbuf may have (icons, cursors,
// vector drawings...) are no way to bring in a photo.
bool isPhotoFormat(const char* name)
{
    static const char* const formats[] = {"jpeg", "png", "gif", "tiff", "tga", "webp"};
    for (const char* f : formats) {
        if (name && std::strcmp(name, f) == 0)
            return true;
    }
    return false;
}

// Decodes fitting in maxW x maxH (keeping the aspect), upright.
bool decode(const std::string& path, int maxW, int maxH, RGBAImage& out)
{
    if (!claimsFitTheFile(path))
        return false;
    int w = 0;
    int h = 0;
    GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), &w, &h);
    if (!format || w <= 0 || h <= 0)
        return false;
    gchar* name = gdk_pixbuf_format_get_name(format);
    const bool photo = isPhotoFormat(name);
    const bool jpeg = name && std::strcmp(name, "jpeg") == 0;  // scales while decoding
    g_free(name);
    if (!photo || (!jpeg && static_cast<int64_t>(w) * h > kMaxFullDecodePixels))
        return false;
    if (jpeg && !jpegReachesItsEnd(path))
        return false;

    GError* error = nullptr;
    GdkPixbuf* pixbuf = (w > maxW || h > maxH)
                            ? gdk_pixbuf_new_from_file_at_scale(path.c_str(), maxW, maxH, TRUE, &error)
                            : gdk_pixbuf_new_from_file(path.c_str(), &error);
    // Some decoders hand back what they got of a damaged file along with
    // the error (a GIF cut short): a picture with holes is refused too.
    if (error && pixbuf) {
        g_object_unref(pixbuf);
        pixbuf = nullptr;
    }
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

bool systemPhotoPickerExists()
{
    return false;
}

void pickSystemPhoto(int, PickedPhoto) {}

}  // namespace zorbel
