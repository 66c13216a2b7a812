// Construction of the figure and the multipliers it loads from the preferences.
#include "figure/myGuy.h"
#include "platform/prefs/prefs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zorbel {
namespace {

TEST(NewGuy, StartsAsOnePointInTheMiddleOfTheBox)
{
    Guy* g = NewGuy(-1, 1, -1.5f, 1.5f);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->scale, 5.0f / 840.0f);
    EXPECT_EQ(g->legLength, 100.0f * g->scale);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(g->posX[i], 0.0f);
        EXPECT_EQ(g->posY[i], 0.0f);
        EXPECT_EQ(g->velX[i], 0.0f);
        EXPECT_EQ(g->velY[i], 0.0f);
        EXPECT_EQ(g->radius[i], (i == 3 ? 16.0f : 10.0f) * g->scale);
    }
    EXPECT_EQ(g->eyesOpen, 1);
    EXPECT_EQ(g->mouthOpen, 0);
    EXPECT_EQ(g->blinkCountDown, 240);
    EXPECT_EQ(g->grabCount, 0);
    FreeGuy(g);
}

TEST(NewGuy, SpringTablesAreSymmetricWithElevenSprings)
{
    Guy* g = NewGuy(-1, 1, -1.5f, 1.5f);
    int springs = 0;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(g->springCoef[i][i], 0.0f);
        for (int j = 0; j < 8; ++j) {
            EXPECT_EQ(g->springCoef[i][j], g->springCoef[j][i]);
            EXPECT_EQ(g->restLength[i][j], g->restLength[j][i]);
            EXPECT_EQ(g->springDamper[i][j], 0.1f);
            if (j > i && g->springCoef[i][j] > 0)
                ++springs;
        }
    }
    EXPECT_EQ(springs, 11);
    EXPECT_EQ(g->springCoef[0][1], 15.0f);              // leg
    EXPECT_EQ(g->restLength[4][5], 150.0f * g->scale);  // hand spread
    EXPECT_EQ(g->springCoef[0][3], 0.0f);               // no hips-head spring
    FreeGuy(g);
}

struct StoredMultiplier {
    float stored;
    float expected;
};

class MultiplierFromPrefs : public ::testing::TestWithParam<StoredMultiplier> {};

TEST_P(MultiplierFromPrefs, LoadsWithDefaultsForZeroAndNonFinite)
{
    const StoredMultiplier c = GetParam();
    Prefs::standardUserDefaults()->setFloat(c.stored, "SPR_COEFF_MULT");
    Prefs::standardUserDefaults()->setFloat(c.stored, "STICKY_MULT");
    Guy* g = NewGuy(-1, 1, -1.5f, 1.5f);
    EXPECT_EQ(g_springCoefMultipler, c.expected);
    EXPECT_EQ(g_stickynessMultiplier, c.expected);
    EXPECT_EQ(physicsDefaults, Prefs::standardUserDefaults());
    FreeGuy(g);
}

INSTANTIATE_TEST_SUITE_P(Stored, MultiplierFromPrefs,
                         ::testing::Values(StoredMultiplier{0.5f, 0.5f}, StoredMultiplier{0.0f, 1.0f},
                                           StoredMultiplier{std::numeric_limits<float>::quiet_NaN(), 1.0f},
                                           StoredMultiplier{std::numeric_limits<float>::infinity(), 1.0f}));

TEST(SavePhysicsPrefs, StoresTheCurrentMultipliers)
{
    Guy* g = NewGuy(-1, 1, -1.5f, 1.5f);
    g_springCoefMultipler = 0.4f;
    g_springDampersMultipler = 2.0f;
    g_stickynessMultiplier = 1.9f;
    SavePhysicsPrefs();
    Prefs reread(Prefs::defaultPath());
    EXPECT_EQ(reread.floatForKey("SPR_COEFF_MULT"), 0.4f);
    EXPECT_EQ(reread.floatForKey("SPR_DAMP_MULT"), 2.0f);
    EXPECT_EQ(reread.floatForKey("STICKY_MULT"), 1.9f);
    FreeGuy(g);
}

}  // namespace
}  // namespace zorbel
