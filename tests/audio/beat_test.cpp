// The beat detector and the microphone sensitivity, where the committed music
// trace does not reach: levels that are not numbers, other sensitivities, and
// the slider's mapping. Bad stored values are the hardening tests'.
#include "audio/audioInMeter.h"
#include "audio/beatDetector.h"
#include "platform/prefs/prefs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace zorbel {
namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST(BeatDetector, NotANumberOrInfinityLeavesTheStateAlone)
{
    BeatDetector d;
    for (int i = 0; i < 500; ++i)
        beatDetectorStep(d, i % 30 < 2 ? 0.7f : 0.04f, 0.04f);  // clicks twice a second
    for (float bad : {kNaN, kInf, -kInf}) {
        const BeatDetector before = d;
        EXPECT_EQ(beatDetectorStep(d, bad, 0.04f), 0.0f);
        EXPECT_EQ(0, std::memcmp(&before, &d, sizeof d));
    }
}

TEST(BeatDetector, SensitivitySetsWhatCountsAsAnOnset)
{
    // A quiet swing: small bumps on a low level.
    auto onsetsPerFrame = [](float minDyn) {
        BeatDetector d;
        for (int i = 0; i < 600; ++i)
            beatDetectorStep(d, i % 30 < 2 ? 0.05f : 0.03f, minDyn);
        return d.avgCandidatePerFrame;
    };
    EXPECT_GT(onsetsPerFrame(0.02f), 0.02f);
    EXPECT_LT(onsetsPerFrame(0.15f), 0.001f);
}

// An onset is a rise above the smoothed level of more than 0.15 of the
// level's range: on a steady level with the range at its least (0.1), a
// bump of 0.018 (0.16 of the range once smoothed) counts, one of 0.015
// (0.135) does not.
TEST(BeatDetector, AnOnsetIsARiseOfMoreThanFifteenHundredthsOfTheRange)
{
    auto onsetsPerFrame = [](float bump) {
        BeatDetector d;
        for (int i = 0; i < 900; ++i)
            beatDetectorStep(d, i % 30 == 29 ? 0.1f + bump : 0.1f, 0.1f);
        return d.avgCandidatePerFrame;
    };
    EXPECT_GT(onsetsPerFrame(0.018f), 0.03f);
    EXPECT_EQ(onsetsPerFrame(0.015f), 0.0f);
}

TEST(MicSensitivity, TheSliderMapsOntoTheLeastLevelRangeAndBack)
{
    struct Case {
        float slider, minDyn, back;
    };
    const Case cases[] = {{100, 0.02f, 100}, {0, 0.15f, 0},   {50, 0.085f, 50},
                          {120, 0.02f, 100}, {-10, 0.15f, 0}, {kNaN, 0.15f, 0}};  // NaN keeps the last
    for (const Case& c : cases) {
        setMicSensitivity(c.slider);
        EXPECT_FLOAT_EQ(g_minDyn, c.minDyn) << c.slider;
        EXPECT_NEAR(getMicSensitivity(), c.back, 1e-4f) << c.slider;
        EXPECT_EQ(Prefs::standardUserDefaults()->floatForKey("MIN_DYN"), g_minDyn);
    }
    // Stored ranges the slider cannot set show at its ends.
    for (const Case& c : {Case{0, 0.04f, 84.6154f}, Case{0, 0.5f, 0}, Case{0, 0.01f, 100}}) {
        g_minDyn = c.minDyn;
        EXPECT_NEAR(getMicSensitivity(), c.back, 1e-3f) << c.minDyn;
    }
}

}  // namespace
}  // namespace zorbel
