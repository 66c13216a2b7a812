#include <cmath>

#include "art.h"
#include "raster.h"

namespace zorbel {

// Head outline: reference radii every 5 degrees counter-clockwise from the
// top of the face (90 degrees) round to the top again (450 degrees).
static const double kFaceRadii[73] = {
    4.32, 4.32, 4.36, 4.31, 4.16, 4.08, 4.01, 3.92, 3.71, 3.59, 3.5,  3.34, 3.22, 3.13, 3.03, 2.95, 2.89, 2.79, 2.7,
    2.68, 2.59, 2.56, 2.64, 2.67, 2.64, 2.81, 3.0,  3.16, 3.34, 3.52, 3.6,  3.7,  3.79, 3.92, 4.01, 4.1,  4.14, 4.1,
    4.01, 3.92, 3.79, 3.7,  3.6,  3.52, 3.34, 3.16, 3.0,  2.81, 2.64, 2.67, 2.64, 2.56, 2.59, 2.68, 2.7,  2.79, 2.89,
    2.95, 3.03, 3.13, 3.22, 3.34, 3.5,  3.59, 3.71, 3.92, 4.01, 4.08, 4.16, 4.31, 4.36, 4.32, 4.32};

constexpr double kPi = 3.14159265358979323846;

RGBAImage makeFaceMask(int size)
{
    // Polygon in pixels (y down, top of the face up); a radius of 5 reaches the edge.
    double px[73], py[73];
    const double c = size / 2.0, scale = c / 5;
    for (int k = 0; k < 73; ++k) {
        const double a = (90.0 + 5.0 * k) * kPi / 180;
        px[k] = c + scale * kFaceRadii[k] * std::cos(a);
        py[k] = c - scale * kFaceRadii[k] * std::sin(a);
    }
    const auto inside = [&](double x, double y) {  // crossing-number test
        bool in = false;
        for (int i = 0; i < 72; ++i) {
            const double x0 = px[i], y0 = py[i], x1 = px[i + 1], y1 = py[i + 1];
            if ((y0 > y) != (y1 > y) && x < x0 + (y - y0) * (x1 - x0) / (y1 - y0))
                in = !in;
        }
        return in;
    };
    return render(size, size, 8, [&](double x, double y) { return grey(inside(x, y) ? 0 : 1); });
}

}  // namespace zorbel
