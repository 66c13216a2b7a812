// The level meter on synthesised signals.
#include "audio/levelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace zorbel {
namespace {

float levelAfter(const std::vector<int16_t>& samples)
{
    LevelMeter m;
    m.process(samples.data(), static_cast<int>(samples.size()));
    return m.level();
}

TEST(LevelMeter, SilenceIsZeroAndAFullScaleSquareIsOne)
{
    EXPECT_EQ(levelAfter(std::vector<int16_t>(8000, 0)), 0.0f);
    std::vector<int16_t> square(80000);
    for (size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 20) % 2 ? 32767 : -32767;
    EXPECT_NEAR(levelAfter(square), 1.0f, 1e-6f);
    square.back() = -32768;  // one step past full scale never reads above 1
    EXPECT_LE(levelAfter(square), 1.0f);
}

TEST(LevelMeter, SineReadsItsRootMeanSquare)
{
    for (double amplitude : {0.1, 0.5, 1.0}) {
        std::vector<int16_t> sine(80000);
        for (size_t i = 0; i < sine.size(); ++i)
            sine[i] = static_cast<int16_t>(std::lround(32767 * amplitude * std::sin(2 * M_PI * 440.0 * i / 8000.0)));
        EXPECT_NEAR(levelAfter(sine), amplitude / std::sqrt(2.0), 0.01 * amplitude);
    }
}

TEST(LevelMeter, ClicksRaiseTheLevelThatThenFallsBetweenThem)
{
    // A 10 ms click twice a second, read once per 1/60 s frame.
    LevelMeter m;
    std::vector<float> perFrame;
    std::vector<int16_t> frame(133);
    for (int f = 0; f < 120; ++f) {
        for (int i = 0; i < 133; ++i) {
            const int t = f * 133 + i;
            frame[i] = t % 4000 < 80 ? static_cast<int16_t>(t % 8 < 4 ? 20000 : -20000) : 0;
        }
        m.process(frame.data(), 133);
        perFrame.push_back(m.level());
    }
    for (int click = 1; click < 4; ++click) {
        const int f = click * 30;  // the frame that hears the click
        EXPECT_GT(perFrame[f], 1.5f * perFrame[f - 1]) << "no rise at click " << click;
        EXPECT_LT(perFrame[f + 29], 0.6f * perFrame[f]) << "no fall after click " << click;
    }
}

}  // namespace
}  // namespace zorbel
