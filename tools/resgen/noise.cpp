#include "noise.h"

#include <cmath>

namespace zorbel {

uint64_t Rng::next()
{
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

PeriodicNoise::PeriodicNoise(int periodX, int periodY, Rng& rng)
    : px_(periodX < 1 ? 1 : periodX), py_(periodY < 1 ? 1 : periodY), lattice_(size_t(px_) * py_)
{
    for (double& v : lattice_)
        v = rng.uniform();
}

static double fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}  // C2 smoothstep
static int wrap(int i, int n)
{
    return ((i % n) + n) % n;
}

double PeriodicNoise::at(double u, double v) const
{
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

Fractal::Fractal(int periodX, int periodY, int octaves, double gain, Rng& rng)
{
    double w = 1, total = 0;
    for (int i = 0; i < octaves; ++i, w *= gain) {
        octaves_.emplace_back(periodX << i, periodY << i, rng);
        weights_.push_back(w);
        total += w;
    }
    for (double& x : weights_)
        x /= total;
}

double Fractal::at(double u, double v) const
{
    double sum = 0;
    for (size_t i = 0; i < octaves_.size(); ++i)
        sum += weights_[i] * octaves_[i].at(u, v);
    return sum;
}

// One box blur pass along every row (or column), wrapping around the torus.
static void boxBlurWrapped(std::vector<double>& f, int size, int radius, bool rows)
{
    std::vector<double> out(static_cast<size_t>(size));
    const int window = 2 * radius + 1;
    for (int k = 0; k < size; ++k) {
        const auto at = [&](int i) -> double& {
            return rows ? f[size_t(k) * size + size_t(i)] : f[size_t(i) * size + size_t(k)];
        };
        double sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += at(wrap(i, size));
        for (int i = 0; i < size; ++i) {
            out[size_t(i)] = sum / window;
            sum += at(wrap(i + radius + 1, size)) - at(wrap(i - radius, size));
        }
        for (int i = 0; i < size; ++i)
            at(i) = out[size_t(i)];
    }
}

std::vector<double> blurredNoise(int size, int radius, Rng& rng)
{
    if (size < 1)
        return {};
    std::vector<double> f(size_t(size) * size);
    for (double& v : f)
        v = rng.uniform() - 0.5;
    if (radius > 0)
        for (int pass = 0; pass < 3; ++pass) {
            boxBlurWrapped(f, size, radius, true);
            boxBlurWrapped(f, size, radius, false);
        }
    double mean = 0, var = 0;
    for (double v : f)
        mean += v;
    mean /= double(f.size());
    for (double v : f)
        var += (v - mean) * (v - mean);
    const double sd = std::sqrt(var / double(f.size()));
    for (double& v : f)
        v = sd > 0 ? (v - mean) / sd : 0;
    return f;
}

}  // namespace zorbel
