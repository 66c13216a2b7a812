// Photos in the browser build. There is no Pictures folder to list: the page
// hands over what the user picks. A photo file in the in-memory file system
// (a PNG, JPEG, GIF or BMP) is decoded by stb_image, which emscripten ships.
#include "platform/photos/photos.h"

#include "platform/imaging/image.h"

#include <algorithm>
#include <cstdio>
#include <vector>

extern "C" {
unsigned char* stbi_load(const char* filename, int* x, int* y, int* channels, int wanted);
int stbi_info(const char* filename, int* x, int* y, int* channels);
void stbi_image_free(void* pixels);
}

namespace zorbel {

namespace {

// A photo needing more memory than this to decode is refused.
const long long kMaxDecodePixels = 64LL * 1000 * 1000;

// Straight RGBA to premultiplied, box-averaged down to fit maxSide.
void fit(const unsigned char* src, int w, int h, int maxSide, RGBAImage& out)
{
    const int step = std::max(1, (std::max(w, h) + maxSide - 1) / maxSide);
    out.width = std::max(1, w / step);
    out.height = std::max(1, h / step);
    out.pixels.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            unsigned sum[4] = {0, 0, 0, 0}, n = 0;
            for (int dy = 0; dy < step && y * step + dy < h; ++dy)
                for (int dx = 0; dx < step && x * step + dx < w; ++dx, ++n) {
                    const unsigned char* p = src + (static_cast<size_t>(y * step + dy) * w + x * step + dx) * 4;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c] * p[3];
                    sum[3] += p[3];
                }
            uint8_t* d = &out.pixels[(static_cast<size_t>(y) * out.width + x) * 4];
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>((sum[c] / 255 + n / 2) / n);
            d[3] = static_cast<uint8_t>((sum[3] + n / 2) / n);
        }
}

}  // namespace

std::vector<AlbumEntry> listAlbum(const std::string&)
{
    return {};
}

bool loadPhoto(const std::string& path, RGBAImage& out, int maxSide)
{
    int w = 0, h = 0, channels = 0;
    if (maxSide <= 0 || !stbi_info(path.c_str(), &w, &h, &channels) || w <= 0 || h <= 0 ||
        static_cast<long long>(w) * h > kMaxDecodePixels)
        return false;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!pixels)
        return false;
    fit(pixels, w, h, maxSide, out);
    stbi_image_free(pixels);
    return true;
}

bool loadThumbnail(const std::string& path, int size, RGBAImage& out)
{
    return loadPhoto(path, out, size);
}

}  // namespace zorbel
