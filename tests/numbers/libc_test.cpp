// The project's generator and single-precision trigonometry give, bit for
// bit, what this computer's C library gives: every float of the ranges the
// figure, the meshes and the crop editor pass, and the whole arc tangent.
#include <gtest/gtest.h>

#include "numbers/libcRandom.h"
#include "numbers/libcTrig.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace zorbel {
namespace {

uint32_t bits(float x)
{
    uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

float fromBits(uint32_t u)
{
    float x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

bool same(float a, float b)
{
    return bits(a) == bits(b) || (std::isnan(a) && std::isnan(b));
}

// Counts the floats whose bit patterns run from `first` to `last` (one sign)
// where `differs` holds, split over the cores; keeps one example.
struct Sweep {
    uint64_t mismatches = 0;
    float example = 0;
};
Sweep sweep(uint32_t first, uint32_t last, uint32_t stride, const std::function<bool(float)>& differs)
{
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<Sweep> parts(threads);
    std::vector<std::thread> workers;
    const uint64_t count = (uint64_t(last) - first) / stride + 1;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (uint64_t i = t; i < count; i += threads) {
                const float x = fromBits(static_cast<uint32_t>(first + i * stride));
                if (differs(x) && parts[t].mismatches++ == 0)
                    parts[t].example = x;
            }
        });
    }
    Sweep all;
    for (unsigned t = 0; t < threads; ++t) {
        workers[t].join();
        if (parts[t].mismatches && !all.mismatches)
            all.example = parts[t].example;
        all.mismatches += parts[t].mismatches;
    }
    return all;
}

// Every float from lo to hi (lo < 0 < hi).
Sweep sweepRange(float lo, float hi, const std::function<bool(float)>& differs)
{
    Sweep negative = sweep(0x80000000u, bits(lo), 1, differs);
    Sweep positive = sweep(0, bits(hi), 1, differs);
    positive.mismatches += negative.mismatches;
    if (negative.mismatches)
        positive.example = negative.example;
    return positive;
}

TEST(LibcRandom, GivesTheCLibrarySequenceFromTheStart)
{
    libcRandReset();
    std::srand(1);  // the state an unseeded rand() starts from
    for (int i = 0; i < 1000000; ++i)
        ASSERT_EQ(libcRand(), std::rand()) << "at draw " << i;
    libcRandReset();
    std::srand(1);
    EXPECT_EQ(libcRand(), std::rand());
}

// The strokes' angles: arc tangents from -pi, stepped up to about 22.8 by
// the head's outline and eyes; the physics' whole degrees lie inside.
TEST(LibcTrig, SineAndCosineMatchOnEveryAngleTheFigureDraws)
{
    const Sweep s = sweepRange(-3.2f, 23.0f,
                               [](float x) { return !same(libcSinf(x), ::sinf(x)) || !same(libcCosf(x), ::cosf(x)); });
    EXPECT_EQ(s.mismatches, 0u) << "first at " << s.example;
}

// The crop editor turns the photo without bound: every 97th float of
// either sign, infinities and not-a-number included.
TEST(LibcTrig, SineAndCosineMatchAcrossEveryMagnitude)
{
    auto differs = [](float x) { return !same(libcSinf(x), ::sinf(x)) || !same(libcCosf(x), ::cosf(x)); };
    const Sweep positive = sweep(0, 0x7fffffffu, 97, differs);
    const Sweep negative = sweep(0x80000000u, 0xffffffffu, 97, differs);
    EXPECT_EQ(positive.mismatches + negative.mismatches, 0u)
        << "first at " << (positive.mismatches ? positive.example : negative.example);
    for (float x : {INFINITY, -INFINITY, NAN, 0.0f, -0.0f, 1e-40f, 0x1p-12f, 119.9f, 120.0f, 3e38f})
        EXPECT_TRUE(same(libcSinf(x), ::sinf(x)) && same(libcCosf(x), ::cosf(x))) << x;
}

// atan2f(y, x) is the one-argument arc tangent of |y / x|, or of y when x
// is 1, placed in its quadrant: the one-argument function over every float
// covers what the quotient can be, and sample pairs check the placing.
TEST(LibcTrig, ArcTangentMatchesOnEveryFloatAndTheQuadrantsOnSamplePairs)
{
    const Sweep s = sweep(0, 0xffffffffu, 1, [](float x) { return !same(libcAtanf(x), ::atanf(x)); });
    EXPECT_EQ(s.mismatches, 0u) << "first at " << s.example;

    std::mt19937 rng(17);
    std::uniform_real_distribution<float> board(-3.5f, 3.5f);
    std::uniform_int_distribution<uint32_t> anyBits;
    int mismatches = 0;
    for (int i = 0; i < 2000000; ++i) {
        const float y = i % 2 ? board(rng) : fromBits(anyBits(rng));
        const float x = i % 2 ? board(rng) : fromBits(anyBits(rng));
        mismatches += !same(libcAtan2f(y, x), ::atan2f(y, x));
    }
    const float special[] = {0.0f, -0.0f, 1.0f, -1.0f, 1e-30f, -1e30f, INFINITY, -INFINITY, NAN, 3e38f, 1e-45f};
    for (float y : special)
        for (float x : special)
            mismatches += !same(libcAtan2f(y, x), ::atan2f(y, x));
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace zorbel
