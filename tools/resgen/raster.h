#pragma once
// Minimal software rasteriser: an image is a colour function of the pixel
// position, averaged over ss x ss sample points per pixel (antialiasing).

#include <algorithm>
#include <cmath>

#include "platform/imaging/image.h"

namespace zorbel {

// Premultiplied colour, components in [0, 1].
struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

inline Rgba opaque(double r, double g, double b)
{
    return {r, g, b, 1};
}
inline Rgba grey(double v, double alpha = 1)
{
    return {v * alpha, v * alpha, v * alpha, alpha};
}

// Porter-Duff "over" of premultiplied colours.
inline Rgba over(const Rgba& top, const Rgba& under)
{
    const double k = 1 - top.a;
    return {top.r + under.r * k, top.g + under.g * k, top.b + under.b * k, top.a + under.a * k};
}

inline double clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

inline double smoothstep(double e0, double e1, double x)
{
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// shade(x, y) gets positions in pixels, (0, 0) at the top-left image corner.
template <class Shade> RGBAImage render(int width, int height, int ss, Shade shade)
{
    RGBAImage img;
    img.width = width;
    img.height = height;
    img.pixels.resize(size_t(width) * height * 4);
    uint8_t* out = img.pixels.data();
    const auto byte = [](double v) { return uint8_t(std::lround(clamp01(v) * 255)); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, out += 4) {
            Rgba sum;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i) {
                    const Rgba c = shade(x + (i + 0.5) / ss, y + (j + 0.5) / ss);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, sum.a + c.a};
                }
            const double n = double(ss) * ss;
            out[3] = byte(sum.a / n);
            // Keep premultiplied colour within alpha after rounding.
            out[0] = std::min(byte(sum.r / n), out[3]);
            out[1] = std::min(byte(sum.g / n), out[3]);
            out[2] = std::min(byte(sum.b / n), out[3]);
        }
    return img;
}

}  // namespace zorbel
