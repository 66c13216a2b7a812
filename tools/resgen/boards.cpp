#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"
#include "noise.h"
#include "raster.h"

namespace zorbel {

RGBAImage makeBlackboard(int width, int height) {
  Rng rng(0xB1AC4B0A4Dull);
  const Fractal tone(3, 3, 5, 0.55, rng);    // broad unevenness of the slate
  const Fractal smudge(3, 4, 4, 0.5, rng);   // where chalk was wiped off
  const Fractal wipe(2, 20, 3, 0.5, rng);    // eraser strokes: long across, narrow down
  const Fractal warp(2, 2, 2, 0.5, rng);     // bends the strokes into arcs
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

RGBAImage makeChalk(int size) {
  Rng rng(0xC4A1Cull);
  const Fractal fine(size / 4, size / 4, 2, 0.6, rng);   // grains of 2 to 4 texels
  const Fractal clumps(size / 32, size / 32, 3, 0.5, rng);
  const Fractal pressure(4, 4, 2, 0.5, rng);             // slow changes of density
  // Raw grain field; every lattice wraps at the tile edge, so the field does too.
  std::vector<double> field(size_t(size) * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5) / size, v = (y + 0.5) / size;
      field[size_t(y) * size + x] = 0.40 * fine.at(u, v) + 0.25 * clumps.at(u, v) +
                                    0.20 * pressure.at(u, v) +
                                    0.15 * hash01(uint32_t(x), uint32_t(y), 2);
    }
  // Map by rank: the lowest tenth become gaps, the rest spread from faint to
  // solid with most of the grain fairly opaque.
  std::vector<double> sorted = field;
  std::sort(sorted.begin(), sorted.end());
  const auto quantile = [&](double q) { return sorted[size_t(q * (sorted.size() - 1))]; };
  const double lo = quantile(0.06), hi = quantile(0.75);
  return render(size, size, 1, [&](double x, double y) {
    const double n = field[size_t(y) * size + size_t(x)];
    return grey(1, std::sqrt(smoothstep(lo, hi, n)));
  });
}

}  // namespace zorbel
