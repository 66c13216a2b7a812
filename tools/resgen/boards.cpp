#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"
#include "noise.h"
#include "raster.h"

namespace zorbel {

RGBAImage makeBlackboard(int width, int height)
{
    Rng rng(0xB1AC4B0A4Dull);
    const Fractal tone(3, 3, 5, 0.55, rng);   // broad unevenness of the slate
    const Fractal smudge(3, 4, 4, 0.5, rng);  // where chalk was wiped off
    const Fractal wipe(2, 20, 3, 0.5, rng);   // eraser strokes: long across, narrow down
    const Fractal warp(2, 2, 2, 0.5, rng);    // bends the strokes into arcs
    return render(width, height, 1, [&](double x, double y) {
        const double u = x / width, v = y / height;
        const double k = 0.92 + 0.16 * tone.at(u, v);
        const double wiped = smoothstep(0.42, 0.68, smudge.at(u, v));
        const double stroke = wipe.at(u, v + 0.08 * (warp.at(u, v) - 0.5));
        const double haze = 0.075 * wiped * (0.3 + 0.7 * smoothstep(0.35, 0.65, stroke));
        const double grain = 0.012 * (hash01(uint32_t(x), uint32_t(y), 1) - 0.5);
        const double base = 0.15 * k + grain;
        return opaque(base * 0.93 + haze, base * 1.02 + haze, base * 1.04 + haze);
    });
}

// The strokes are wide lines textured by their position on the board: all of
// a line's width takes the same texel, and one texel is about 0.3 to 0.6
// pixels. Detail finer than a few texels would alias into stripes across the
// stroke, so all grain here is blurred noise several texels wide.
RGBAImage makeChalk(int size)
{
    Rng rng(0xC4A1Cull);
    const std::vector<double> fine = blurredNoise(size, 3, rng);       // grains ~7 texels wide
    const std::vector<double> medium = blurredNoise(size, 8, rng);     // ~17 texels
    const std::vector<double> pressure = blurredNoise(size, 32, rng);  // slow changes of density
    const std::vector<double> skips = blurredNoise(size, 4, rng);      // where the stick skips
    const size_t n = size_t(size) * size;
    std::vector<double> grain(n), skip(n);
    for (size_t i = 0; i < n; ++i) {
        grain[i] = 0.5 * fine[i] + 0.35 * medium[i] + 0.3 * pressure[i];
        skip[i] = skips[i] - 0.25 * pressure[i];  // light pressure skips more often
    }
    // Shade and cut by rank, so the share of faint and of bare texels is fixed
    // whatever the noise draws.
    std::vector<double> grainSorted = grain, skipSorted = skip;
    std::sort(grainSorted.begin(), grainSorted.end());
    std::sort(skipSorted.begin(), skipSorted.end());
    const auto rank = [&](double v) {
        const auto below = std::lower_bound(grainSorted.begin(), grainSorted.end(), v) - grainSorted.begin();
        return double(below) / double(n);
    };
    const auto quantile = [&](double q) { return skipSorted[size_t(q * double(n - 1))]; };
    // Skips: about 3.5 % of the tile is bare board, each bare spot inside a
    // soft rim several texels wide, so the breaks fade in and out.
    const double skipFrom = quantile(0.87), skipFull = quantile(0.985);
    return render(size, size, 1, [&](double x, double y) {
        const size_t i = size_t(y) * size + size_t(x);
        // Mostly solid: alpha 0.78 to 1, most texels above 0.9.
        const double faint = 1 - rank(grain[i]);
        const double body = 1 - 0.22 * faint * faint;
        const double gap = smoothstep(skipFrom, skipFull, skip[i]);
        return grey(1, body * (1 - gap));
    });
}

}  // namespace zorbel
