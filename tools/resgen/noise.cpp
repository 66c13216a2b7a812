#include "noise.h"

#include <cmath>

namespace zorbel {

uint64_t Rng::next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

PeriodicNoise::PeriodicNoise(int periodX, int periodY, Rng& rng)
    : px_(periodX < 1 ? 1 : periodX), py_(periodY < 1 ? 1 : periodY), lattice_(size_t(px_) * py_) {
  for (double& v : lattice_) v = rng.uniform();
}

static double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }  // C2 smoothstep
static int wrap(int i, int n) { return ((i % n) + n) % n; }

double PeriodicNoise::at(double u, double v) const {
  const double x = u * px_, y = v * py_;
  const double fx = std::floor(x), fy = std::floor(y);
  const int x0 = wrap(int(fx), px_), y0 = wrap(int(fy), py_);
  const int x1 = (x0 + 1) % px_, y1 = (y0 + 1) % py_;
  const double sx = fade(x - fx), sy = fade(y - fy);
  auto l = [&](int i, int j) { return lattice_[size_t(j) * px_ + i]; };
  const double top = l(x0, y0) + (l(x1, y0) - l(x0, y0)) * sx;
  const double bottom = l(x0, y1) + (l(x1, y1) - l(x0, y1)) * sx;
  return top + (bottom - top) * sy;
}

Fractal::Fractal(int periodX, int periodY, int octaves, double gain, Rng& rng) {
  double w = 1, total = 0;
  for (int i = 0; i < octaves; ++i, w *= gain) {
    octaves_.emplace_back(periodX << i, periodY << i, rng);
    weights_.push_back(w);
    total += w;
  }
  for (double& x : weights_) x /= total;
}

double Fractal::at(double u, double v) const {
  double sum = 0;
  for (size_t i = 0; i < octaves_.size(); ++i) sum += weights_[i] * octaves_[i].at(u, v);
  return sum;
}

}  // namespace zorbel
