// The level meter on synthesised signals. How it rises on clicks and falls
// between them is judged by the beats heard in click tracks (tests/tools/sim).
#include "audio/levelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace zorbel {
namespace {

// The level after ten seconds of sample(i).
float levelOf(const std::function<double(int)>& sample)
{
    std::vector<int16_t> samples(80000);
    for (int i = 0; i < 80000; ++i)
        samples[i] = static_cast<int16_t>(std::lround(sample(i)));
    LevelMeter m;
    m.process(samples.data(), 80000);
    return m.level();
}

TEST(LevelMeter, ReadsTheRootMeanSquareFromSilenceToFullScale)
{
    EXPECT_EQ(levelOf([](int) { return 0; }), 0.0f);
    EXPECT_NEAR(levelOf([](int i) { return (i / 20) % 2 ? 32767 : -32767; }), 1.0f, 1e-6f);
    EXPECT_EQ(levelOf([](int) { return -32768; }), 1.0f);  // one step past full scale never reads above 1
    for (double a : {0.1, 0.5, 1.0})
        EXPECT_NEAR(levelOf([a](int i) { return 32767 * a * std::sin(2 * M_PI * 440.0 * i / 8000.0); }),
                    a / std::sqrt(2.0), 0.01 * a);
}

}  // namespace
}  // namespace zorbel
