// Reading rendered pictures (RGBA bytes, rows top first): one pixel, colour
// classes, and world-to-pixel maps for a picture of the board (world x -1..1,
// y -1.5..1.5).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace zorbel::test {

struct Pixel {
    int r, g, b, a;
};

inline Pixel pixelAt(const std::vector<uint8_t>& rgba, int width, int x, int y)
{
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
    return {p[0], p[1], p[2], p[3]};
}

// Of a picture with `width` and `pixels` (an RGBAImage).
template <typename Image> Pixel pixelAt(const Image& img, int x, int y)
{
    return pixelAt(img.pixels, img.width, x, y);
}

// Pixels in [x0, x1) x [y0, y1) of a picture with `width` and `pixels` (an
// RGBAImage) for which pred holds.
template <typename Image, typename Pred> int countPixels(const Image& img, int x0, int y0, int x1, int y1, Pred pred)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += pred(pixelAt(img, x, y)) ? 1 : 0;
    return n;
}

// Red, green and blue each within `tolerance` of (r, g, b).
inline bool near(const Pixel& p, int r, int g, int b, int tolerance = 2)
{
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}

inline bool isChalk(const Pixel& p)
{
    return p.r > 150 && p.g > 150 && p.b > 150;
}

inline bool isBoard(const Pixel& p)
{
    return p.r < 110 && p.g < 110 && p.b < 110 && std::abs(p.r - p.b) < 30;
}

inline bool isYellow(const Pixel& p)
{
    return p.r > 150 && p.g > 150 && p.b < 110;
}

inline bool isLightBlue(const Pixel& p)
{
    return p.b > 140 && p.b > p.r + 40;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    Pixel at(int x, int y) const { return pixelAt(rgba, width, x, y); }

    // World units to pixels.
    void toPixel(float wx, float wy, int& px, int& py) const
    {
        px = static_cast<int>((wx + 1.0f) * 0.5f * width);
        py = static_cast<int>((1.5f - wy) / 3.0f * height);
    }

    template <typename Pred> int countNear(int cx, int cy, int radius, Pred pred) const
    {
        int n = 0;
        for (int y = cy - radius; y <= cy + radius; ++y)
            for (int x = cx - radius; x <= cx + radius; ++x)
                if (x >= 0 && y >= 0 && x < width && y < height && pred(at(x, y)))
                    ++n;
        return n;
    }

    // Distance in pixels from (px, py) to the nearest segment of a strip of
    // world points.
    float distanceToStrip(const float* strip, int count, float px, float py) const
    {
        float best = 1e9f;
        for (int k = 0; k < count; ++k) {
            int ax, ay, bx, by;
            toPixel(strip[2 * k], strip[2 * k + 1], ax, ay);
            const int next = k + 1 < count ? k + 1 : k;
            toPixel(strip[2 * next], strip[2 * next + 1], bx, by);
            const float dx = static_cast<float>(bx - ax);
            const float dy = static_cast<float>(by - ay);
            const float len2 = dx * dx + dy * dy;
            float t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0f;
            t = std::fmax(0.0f, std::fmin(1.0f, t));
            best = std::fmin(best, std::hypot(px - (ax + t * dx), py - (ay + t * dy)));
        }
        return best;
    }
};

}  // namespace zorbel::test
