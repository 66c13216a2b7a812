#include <cmath>

#include "art.h"
#include "raster.h"

namespace zorbel {

// Drawn on a 32-unit grid, y down, as the tack appears on screen: a round
// head seen from above and in front, its pin running down-left to the point
// near the bottom-left corner, where the tack is stuck into the board.
// The file is stored upside down: the quad that shows it maps the image's
// top row to its bottom edge.
RGBAImage makeThumbTack(int size)
{
    const double cx = 19.5, cy = 11, rx = 10, ry = 7.5;  // top face of the head
    const double thick = 3.5;                            // rim seen from the front
    const double tipX = 5.5, tipY = 30.5;                // point of the pin
    const double baseX = 16.5, baseY = 16.5;             // pin leaves the head
    const double s = size / 32.0;

    const auto ellipse = [&](double x, double y, double ox, double oy) {
        const double ex = (x - cx - ox) / rx, ey = (y - cy - oy) / ry;
        return ex * ex + ey * ey;
    };
    return render(size, size, 8, [&](double px, double py) {
        const double x = px / s, y = (size - py) / s;  // flip: stored upside down
        Rgba c;
        // Soft shadow of the head on the board, light from the upper left.
        const double sh = std::sqrt(ellipse(x, y, 2.5, 4.5));
        c = grey(0, 0.35 * (1 - smoothstep(0.75, 1.1, sh)));
        // Pin: a thin metal cone from the head to the point.
        const double dx = tipX - baseX, dy = tipY - baseY, len = std::hypot(dx, dy);
        const double t = ((x - baseX) * dx + (y - baseY) * dy) / (len * len);
        if (t >= 0 && t <= 1) {
            const double across = ((x - baseX) * dy - (y - baseY) * dx) / len;
            const double half = 0.95 - 0.65 * t;
            if (std::abs(across) < half)
                c = over(grey(0.5 + 0.4 * (1 - std::abs(across) / half)), c);
        }
        // Rim: the visible side of the flat head, lit from the left.
        const double tx = clamp01((x - cx + rx) / (2 * rx));
        const bool inRim = (std::abs(x - cx) <= rx && y >= cy && y <= cy + thick) || ellipse(x, y, 0, thick) <= 1;
        if (inRim) {
            const double lower = smoothstep(0.6, 1.0, ellipse(x, y, 0, thick));
            c = over(grey(0.74 - 0.3 * tx - 0.12 * lower), c);
        }
        // Top face: a shallow dome with a soft highlight at the upper left.
        const double r2 = ellipse(x, y, 0, 0);
        if (r2 <= 1) {
            const double ex = (x - cx) / rx, ey = (y - cy) / ry;
            const double nx = 0.45 * ex, ny = 0.45 * ey, nz = std::sqrt(1 - nx * nx - ny * ny);
            const double lx = -0.45, ly = -0.55, lz = 0.70;  // unit light direction
            const double diffuse = nx * lx + ny * ly + nz * lz;
            const double hx = ex + 0.35, hy = ey + 0.45;
            const double highlight = std::exp(-(hx * hx + hy * hy) * 9);
            const double bevel = smoothstep(0.8, 1.0, std::sqrt(r2));
            c = over(grey(0.35 + 0.6 * diffuse + 0.2 * highlight - 0.12 * bevel), c);
        }
        return c;
    });
}

}  // namespace zorbel
