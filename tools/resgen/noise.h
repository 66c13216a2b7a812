#pragma once
// Deterministic randomness for the generated images: a seeded generator and
// value noise that wraps around, so textures built from it tile seamlessly.

#include <cstdint>
#include <vector>

namespace zorbel {

// splitmix64: tiny, fast, and the same sequence on every platform.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next();
    double uniform() { return double(next() >> 11) * 0x1.0p-53; }  // [0, 1)

private:
    uint64_t state_;
};

// Value noise on a periodX x periodY lattice of random values in [0, 1],
// smoothly interpolated. Sampled at (u, v) in tile units: one tile spans
// [0, 1) in each direction and repeats exactly outside it.
class PeriodicNoise {
public:
    PeriodicNoise(int periodX, int periodY, Rng& rng);
    double at(double u, double v) const;

private:
    int px_, py_;
    std::vector<double> lattice_;
};

// Sum of octaves of PeriodicNoise, each twice the lattice density of the one
// before and `gain` times its weight; normalised to [0, 1].
class Fractal {
public:
    Fractal(int periodX, int periodY, int octaves, double gain, Rng& rng);
    double at(double u, double v) const;

private:
    std::vector<PeriodicNoise> octaves_;
    std::vector<double> weights_;
};

// White noise on a size x size torus, smoothed by three passes of a box blur
// of the given radius (close to a Gaussian blur of sigma = sqrt(r (r + 1)),
// about r + 0.5 texels); rescaled to zero mean and unit variance. The blur
// wraps around, so the field tiles seamlessly and has no detail finer than a
// few texels.
std::vector<double> blurredNoise(int size, int radius, Rng& rng);

// Independent uniform value in [0, 1) per (x, y, seed): per-pixel grain.
inline double hash01(uint32_t x, uint32_t y, uint32_t seed)
{
    Rng r((uint64_t(x) << 32 | y) ^ (uint64_t(seed) * 0xD1B54A32D192ED03ull));
    return r.uniform();
}

}  // namespace zorbel
