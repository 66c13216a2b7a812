#include "icon.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"
#include "raster.h"

namespace zorbel {

const int kAppIconSizes[] = {16, 32, 48, 64, 128, 192, 256, 512, 0};

namespace {

struct Point {
    double x, y;
};
using Polyline = std::vector<Point>;

// A stick figure: a round head, and its strokes as polylines.
struct Figure {
    Point head;
    double headRadius;  // to the middle of the head's stroke
    bool solidHead;     // a disc rather than a ring
    std::vector<Polyline> strokes;
    double halfWidth;  // of every stroke
};

// The large drawing, on a 256-unit grid, y down; the hand-made SVG icon uses
// the same numbers. Arms raised with bent elbows, one leg kicked out.
const Figure kLargeFigure = {{128, 72},
                             22,
                             false,
                             {{{128, 96}, {128, 160}},
                              {{128, 112}, {96, 106}, {80, 68}},
                              {{128, 112}, {160, 100}, {180, 64}},
                              {{128, 160}, {110, 186}, {102, 214}},
                              {{128, 160}, {154, 178}, {176, 196}}},
                             6.5};

// The same pose simplified for small icons, on the pixel grid of the 16 x 16
// icon (pixel centres at .5): one-pixel strokes that do not touch each other,
// a solid head clear of the hands.
const Figure kSmallFigure = {{7.5, 3.5},
                             1.25,
                             true,
                             {{{7.5, 5.5}, {7.5, 9.5}},
                              {{7.5, 6.5}, {4.5, 6.5}, {4.5, 3.5}},
                              {{7.5, 6.5}, {10.5, 6.5}, {10.5, 3.5}},
                              {{7.5, 9.5}, {5.5, 11.5}, {5.5, 13.5}},
                              {{7.5, 9.5}, {9.5, 11.5}, {11.5, 12.5}}},
                             0.5};

// The slate and its frame on the 256-unit grid.
constexpr double kOuterMargin = 10;  // room for the drop shadow
constexpr double kOuterRadius = 36;
constexpr double kFrameWidth = 18;

double segmentDistance(double x, double y, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double t = clamp01(((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy));
    return std::hypot(x - a.x - t * dx, y - a.y - t * dy);
}

// Distance from (x, y) to the figure's outline; negative inside.
double figureDistance(const Figure& f, double x, double y)
{
    const double r = std::hypot(x - f.head.x, y - f.head.y);
    double d = f.solidHead ? r - f.headRadius - f.halfWidth : std::abs(r - f.headRadius) - f.halfWidth;
    for (const Polyline& line : f.strokes)
        for (size_t i = 0; i + 1 < line.size(); ++i)
            d = std::min(d, segmentDistance(x, y, line[i], line[i + 1]) - f.halfWidth);
    return d;
}

// The figure moved and scaled: p -> offset + scale p.
Figure placed(const Figure& f, double scale, double offset)
{
    Figure g = f;
    g.head = {offset + scale * f.head.x, offset + scale * f.head.y};
    g.headRadius *= scale;
    g.halfWidth *= scale;
    for (Polyline& line : g.strokes)
        for (Point& p : line)
            p = {offset + scale * p.x, offset + scale * p.y};
    return g;
}

// Signed distance to a square of side 2 half with corners of the given
// radius, centred at (c, c); negative inside.
double roundedSquare(double x, double y, double c, double half, double radius)
{
    const double qx = std::abs(x - c) - (half - radius), qy = std::abs(y - c) - (half - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// Coverage of one sample at signed distance d (pixels) from an edge; the
// render's supersampling does the antialiasing.
double cover(double d)
{
    return clamp01(0.5 - 4 * d);
}

}  // namespace

RGBAImage makeAppIcon(int size)
{
    Rng rng(0x1C0A5EEDull);
    const Fractal smudge(3, 3, 4, 0.5, rng);  // wiped chalk on the slate
    const Fractal wood(2, 16, 3, 0.5, rng);   // grain of the frame: long along the bars
    const Fractal dust(8, 8, 3, 0.6, rng);    // density of the chalk
    const bool large = size >= 96;            // grain, wobble and shadow show
    const bool small = size < 32;             // the simplified figure
    const std::vector<double> gaps = large ? blurredNoise(size, 1, rng) : std::vector<double>();

    // Everything below in pixels.
    const double unit = size / 256.0;
    const double c = size / 2.0;
    const double margin = small ? 0 : kOuterMargin * unit;
    const double outerHalf = c - margin;
    const double outerRadius = std::max(kOuterRadius * unit, 2.5);
    const double frame = small ? size / 16.0 : kFrameWidth * unit;
    const double innerHalf = outerHalf - frame;
    const double innerRadius = std::max(outerRadius - frame, 1.0);
    // The small figure fills the slate inside a one-pixel frame at 16 x 16.
    const double inner0 = c - innerHalf;
    Figure figure =
        small ? placed(kSmallFigure, 2 * innerHalf / 14, inner0 - 2 * innerHalf / 14) : placed(kLargeFigure, unit, 0);
    if (!small)
        figure.halfWidth = std::max(figure.halfWidth, 0.85);  // strokes at least 1.7 pixels wide

    return render(size, size, 8, [&](double x, double y) {
        const double u = x / size, v = y / size;
        Rgba col;

        // Soft shadow under the whole slate, a little below it.
        if (margin > 0) {
            const double d = roundedSquare(x, y - 0.3 * margin, c, outerHalf, outerRadius);
            col = grey(0, 0.35 * (1 - smoothstep(-0.2 * margin, 0.9 * margin, d)));
        }

        // Wooden frame: grain along each bar, a light bevel at its outer top
        // left and a darker one at its bottom right.
        const double outerD = roundedSquare(x, y, c, outerHalf, outerRadius);
        const double outerCover = cover(outerD);
        if (outerCover > 0) {
            const bool side = std::abs(x - c) > std::abs(y - c);  // on a left or right bar
            const double g = side ? wood.at(v, u) : wood.at(u, v);
            const double across = (side ? x : y) / size;
            const double rings = large ? 0.5 + 0.5 * std::sin(60 * g + 12 * across) : 0.5;
            const double tone = 0.82 + 0.18 * rings;
            const double rim = 1 - smoothstep(-0.4 * frame, 0, outerD);
            const double lift = rim * 0.25 * ((c - x) + (c - y)) / size;  // +0.25 top left
            const Rgba w =
                opaque(clamp01(0.58 * tone + lift), clamp01(0.37 * tone + lift), clamp01(0.18 * tone + lift));
            col = over({w.r * outerCover, w.g * outerCover, w.b * outerCover, outerCover}, col);
        }

        // The slate: dark green-grey, darker toward its edge, faint smudges,
        // and the frame's shadow along its inner top and left.
        const double innerD = roundedSquare(x, y, c, innerHalf, innerRadius);
        const double innerCover = cover(innerD);
        if (innerCover > 0) {
            const double edge = smoothstep(-0.55 * innerHalf, 0, innerD);
            const double wiped = large ? 0.05 * smoothstep(0.45, 0.75, smudge.at(u, v)) : 0;
            const double k = 1 - 0.25 * edge;
            const double lip = std::max(frame * 0.25, 0.5);
            const double inset = roundedSquare(x - lip, y - lip, c, innerHalf, innerRadius);
            const double shade = small ? 1 : 1 - 0.35 * (1 - smoothstep(-2 * lip, 0, inset));
            const double r = (0.17 * k + wiped) * shade, gg = (0.22 * k + wiped) * shade,
                         b = (0.21 * k + wiped) * shade;
            col = over({r * innerCover, gg * innerCover, b * innerCover, innerCover}, col);
        }

        // The chalk figure; on large icons its edges wobble a little and the
        // chalk is grainy and thinner in places.
        double d = figureDistance(figure, x, y);
        double density = 0.95;
        if (large) {
            const double rough = size / 256.0;  // pixels per grid unit
            d += rough * (1.6 * (dust.at(u * 2, v * 2) - 0.5) + 1.2 * (dust.at(u * 8, v * 8) - 0.5));
            const double grain = hash01(uint32_t(x), uint32_t(y), 7);
            const double skip = smoothstep(1.3, 2.3, gaps[size_t(y) * size + size_t(x)]);  // the stick skipped
            density = (0.76 + 0.22 * dust.at(u * 4, v * 4) + 0.1 * (grain - 0.5)) * (1 - 0.4 * skip);
        }
        const double chalk = cover(d) * density;
        if (chalk > 0)
            col = over(grey(0.96, chalk), col);
        return col;
    });
}

}  // namespace zorbel
