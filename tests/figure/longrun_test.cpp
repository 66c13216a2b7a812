// A million frames of random tilts, shakes and grabs: the figure always stays
// finite and inside the box.
#include "figure/myGuy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace zorbel {
namespace {

TEST(LongRun, AMillionFramesOfAbuseStayFiniteAndInsideTheBox)
{
    Guy* g = NewGuy(-1, 1, -1.5f, 1.5f);
    std::mt19937 rng(12345);  // our own generator: std::rand() belongs to the figure
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> percent(0, 99);
    float gx = 0.0f;
    float gy = -100.0f;
    for (int frame = 0; frame < 1000000; ++frame) {
        const int event = percent(rng);
        if (event < 2) {  // a new tilt
            gx = 100.0f * unit(rng);
            gy = 100.0f * unit(rng);
        } else if (event < 3) {  // a shake: up to about 300 in any direction
            gx = 300.0f * unit(rng);
            gy = 300.0f * unit(rng);
        } else if (event < 5 && g->grabCount < 10) {  // a finger comes down anywhere
            g->grabX[g->grabCount] = 1.2f * unit(rng);
            g->grabY[g->grabCount] = 1.7f * unit(rng);
            g->grabTacked[g->grabCount] = 0;
            ++g->grabCount;
        } else if (event < 7 && g->grabCount > 0) {
            --g->grabCount;
        } else if (event < 9 && g->grabCount > 0) {  // drag a finger
            const int k = static_cast<int>(rng() % static_cast<unsigned>(g->grabCount));
            g->grabX[k] += 0.1f * unit(rng);
            g->grabY[k] += 0.1f * unit(rng);
        }
        g->gravityX = gx;
        g->gravityY = gy;
        IntegratePhysics(g, 0.025f, percent(rng) < 3 ? 1.0f : 0.0f);
        for (int i = 0; i < 8; ++i) {
            const float x = g->posX[i];
            const float y = g->posY[i];
            const bool inside = std::isfinite(x) && std::isfinite(y) && std::isfinite(g->velX[i]) &&
                                std::isfinite(g->velY[i]) && x >= g->minX && x <= g->maxX && y >= g->minY &&
                                y <= g->maxY;
            ASSERT_TRUE(inside) << "mass " << i << " at frame " << frame << ": " << x << ", " << y;
        }
    }
    FreeGuy(g);
}

}  // namespace
}  // namespace zorbel
