// The beat detector and the microphone sensitivity mapping.
#include "audio/audioInMeter.h"
#include "audio/beatDetector.h"
#include "platform/prefs/prefs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace zorbel {
namespace {

// Two clicks a second at 60 frames a second: 2 loud frames, 28 quiet ones.
float clickLevel(int frame)
{
    return frame % 30 < 2 ? 0.7f : 0.04f;
}

TEST(BeatDetector, SilenceAndASteadyLevelAreNeverMusic)
{
    for (float level : {0.0f, 0.3f, 1.0f}) {
        BeatDetector d;
        float lastOnsetRate = 0;
        for (int i = 0; i < 3000; ++i) {
            EXPECT_EQ(beatDetectorStep(d, level, 0.04f), 0.0f);
            lastOnsetRate = d.avgCandidatePerFrame;
        }
        EXPECT_EQ(d.isMusic, 0);
        EXPECT_LT(lastOnsetRate, 1e-6f);  // at most the first frame was an onset
    }
}

TEST(BeatDetector, ClicksTwiceASecondGiveABeatEveryThirtyFrames)
{
    BeatDetector d;
    int lively = 0;
    int firstMusicFrame = -1;
    std::vector<int> beats;
    for (int i = 0; i < 1200; ++i) {
        const float beat = beatDetectorStep(d, clickLevel(i), 0.04f);
        const bool quiet = d.avgBeatPerFrame < d.minBpf || d.avgCandidatePerFrame < d.minBpf;
        lively = quiet ? 0 : lively + 1;
        if (lively > 0 && lively <= 30 && !d.isMusic) {
            EXPECT_EQ(beat, 0.0f) << "no beat before music is declared, frame " << i;
        }
        if (d.isMusic && firstMusicFrame < 0)
            firstMusicFrame = i;
        if (beat == 1.0f)
            beats.push_back(i);
    }
    ASSERT_GE(firstMusicFrame, 0);
    EXPECT_NEAR(d.avgCandidatePerFrame, 1.0f / 30.0f, 0.01f);
    ASSERT_GE(beats.size(), 10u);
    for (size_t k = beats.size() - 8; k < beats.size(); ++k)
        EXPECT_EQ(beats[k] - beats[k - 1], 30);

    // Then silence: music ends and the detector falls quiet.
    for (int i = 0; i < 600; ++i)
        beatDetectorStep(d, 0.0f, 0.04f);
    EXPECT_EQ(d.isMusic, 0);
    EXPECT_EQ(beatDetectorStep(d, 0.0f, 0.04f), 0.0f);
}

TEST(BeatDetector, NotANumberOrInfinityLeavesTheStateAlone)
{
    BeatDetector d;
    for (int i = 0; i < 500; ++i)
        beatDetectorStep(d, clickLevel(i), 0.04f);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
        BeatDetector before = d;
        EXPECT_EQ(beatDetectorStep(d, bad, 0.04f), 0.0f);
        EXPECT_EQ(0, std::memcmp(&before, &d, sizeof d));
    }
}

TEST(BeatDetector, SensitivitySetsWhatCountsAsAnOnset)
{
    // A quiet swing: small bumps on a low level.
    auto onsets = [](float minDyn) {
        BeatDetector d;
        for (int i = 0; i < 600; ++i)
            beatDetectorStep(d, i % 30 < 2 ? 0.05f : 0.03f, minDyn);
        return d.avgCandidatePerFrame;  // onsets per frame
    };
    EXPECT_GT(onsets(0.02f), 0.02f);
    EXPECT_LT(onsets(0.15f), 0.001f);
}

TEST(MicSensitivity, MapsOntoTheLeastLevelRangeAndBack)
{
    setMicSensitivity(100);
    EXPECT_EQ(g_minDyn, 0.02f);
    EXPECT_EQ(getMicSensitivity(), 100.0f);
    setMicSensitivity(0);
    EXPECT_EQ(g_minDyn, 0.15f);
    EXPECT_EQ(getMicSensitivity(), 0.0f);
    setMicSensitivity(50);
    EXPECT_FLOAT_EQ(g_minDyn, 0.085f);
    EXPECT_NEAR(getMicSensitivity(), 50.0f, 1e-4f);
    EXPECT_EQ(Prefs::standardUserDefaults()->floatForKey("MIN_DYN"), g_minDyn);
    setMicSensitivity(120);
    EXPECT_EQ(g_minDyn, 0.02f);
    setMicSensitivity(-10);
    EXPECT_EQ(g_minDyn, 0.15f);
    setMicSensitivity(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(g_minDyn, 0.15f);
}

TEST(MicSensitivity, StoredValueLoadsWithTheDefaultForBadOnes)
{
    struct Case {
        float stored, expected;
    };
    const Case cases[] = {{0.0f, 0.04f},  {-0.5f, 0.04f}, {std::numeric_limits<float>::quiet_NaN(), 0.04f},
                          {0.07f, 0.07f}, {0.5f, 0.5f},   {std::numeric_limits<float>::infinity(), 0.04f}};
    for (const Case& c : cases) {
        Prefs::standardUserDefaults()->setFloat(c.stored, "MIN_DYN");
        loadMicSensitivity();
        EXPECT_EQ(g_minDyn, c.expected) << c.stored;
    }
    g_minDyn = 0.04f;
    EXPECT_NEAR(getMicSensitivity(), 84.6f, 0.05f);
}

}  // namespace
}  // namespace zorbel
