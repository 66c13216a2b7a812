// Posture springs and the random helper behind the dance and the blinking.
#include "figure/myGuy.h"
#include "numbers/libcRandom.h"

namespace zorbel {

float randBetween(float low, float high)
{
    int r = libcRand() % 101;
    return low + ((high - low) * 0.01f) * static_cast<float>(r);
}

void ResetPosture(Guy* guy)
{
    const float scale = guy->scale;
    SetRestLength(guy, 0, 1, 100.0f * scale);  // leg 1
    SetRestLength(guy, 0, 2, 100.0f * scale);  // leg 2
    SetRestLength(guy, 6, 4, 80.0f * scale);   // arm 1
    SetRestLength(guy, 7, 5, 80.0f * scale);   // arm 2
    SetRestLength(guy, 4, 5, 150.0f * scale);  // hand spread
}

void ChangePosture(Guy* guy, int chance)
{
    // Each spring in turn: one draw for the test, one more inside randBetween
    // when it changes. The order of the draws is part of the behaviour.
    struct Dance {
        int i, j;
        float low, high;
    };
    static const Dance springs[5] = {
        {0, 1, 50.0f, 120.0f},  // leg 1
        {0, 2, 50.0f, 120.0f},  // leg 2
        {6, 4, 40.0f, 80.0f},   // arm 1
        {7, 5, 40.0f, 80.0f},   // arm 2
        {4, 5, 75.0f, 150.0f},  // hand spread
    };
    for (const Dance& s : springs) {
        if (libcRand() % 100 < chance)
            SetRestLength(guy, s.i, s.j, guy->scale * randBetween(s.low, s.high));
    }
}

}  // namespace zorbel
