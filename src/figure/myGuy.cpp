// Construction of the figure and persistence of the physics multipliers.
#include "figure/myGuy.h"

#include "platform/log/log.h"
#include "platform/prefs/prefs.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace zorbel {

float g_springCoefMultipler = 1.0f;
float g_springDampersMultipler = 1.0f;
float g_stickynessMultiplier = 1.0f;
int noMusicCountDown = 60;
Prefs* physicsDefaults = nullptr;

namespace {

const char kSpringCoefKey[] = "SPR_COEFF_MULT";
const char kSpringDampKey[] = "SPR_DAMP_MULT";
const char kStickyKey[] = "STICKY_MULT";

// A stored 0 (or a key never stored) means the default 1.0. A value that is
// not a finite number would poison every position, so it counts as absent too.
// One its slider cannot set (a hand-edited file) is brought into the slider's
// range: far outside it the springs blow the figure apart. Values inside are
// used exactly as stored.
float loadMultiplier(Prefs* prefs, const char* key, MultiplierRange range)
{
    const float value = prefs->floatForKey(key);
    if (value == 0.0f || !std::isfinite(value))
        return 1.0f;
    const float kept = std::min(std::max(value, range.min), range.max);
    if (kept != value)
        logLine("##### Preference %s is out of its range %g to %g (%g); using %g", key, range.min, range.max, value,
                kept);
    return kept;
}

void setSpring(Guy* guy, int i, int j, float rest, float coef)
{
    SetRestLength(guy, i, j, rest);
    guy->springCoef[i][j] = coef;
    guy->springCoef[j][i] = coef;
}

}  // namespace

Guy* NewGuy(float minX, float maxX, float minY, float maxY)
{
    Guy* guy = new (std::nothrow) Guy();
    if (!guy)
        return nullptr;

    guy->minX = minX;
    guy->maxX = maxX;
    guy->minY = minY;
    guy->maxY = maxY;
    guy->scale = ((maxX - minX) + (maxY - minY)) / 840.0f;
    const float scale = guy->scale;

    guy->drag = 0.03f;
    guy->stickyness = 1.0f;
    guy->lpGravityX = 0.0f;
    guy->lpGravityY = 0.0f;
    guy->grabCount = 0;
    guy->tackCount = 0;

    // Every mass starts on the box centre; the first step pushes them apart.
    const float cx = (minX + maxX) * 0.5f;
    const float cy = (minY + maxY) * 0.5f;
    for (int i = 0; i < 8; ++i) {
        guy->posX[i] = cx;
        guy->posY[i] = cy;
        guy->velX[i] = 0.0f;
        guy->velY[i] = 0.0f;
        guy->radius[i] = 10.0f * scale;
    }

    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            guy->springCoef[i][j] = 0.0f;
            guy->springDamper[i][j] = 0.1f;
            guy->restLength[i][j] = 0.0f;
        }
    }

    guy->legLength = 100.0f * scale;
    guy->armLength = 80.0f * scale;
    guy->headRadius = 16.0f * scale;
    guy->radius[3] = 16.0f * scale;

    guy->mouthOpen = 0;
    guy->eyesOpen = 1;
    guy->blinkCountDown = 240;

    const float masses[8] = {1.0f, 1.0f, 1.0f, -0.5f, 0.08f, 0.08f, -0.4f, -0.4f};
    for (int i = 0; i < 8; ++i)
        guy->mass[i] = masses[i];

    setSpring(guy, 0, 1, 100.0f * scale, 15.0f);  // leg 1
    setSpring(guy, 0, 2, 100.0f * scale, 15.0f);  // leg 2
    setSpring(guy, 1, 2, 80.0f * scale, 2.5f);    // stance
    setSpring(guy, 0, 6, 55.0f * scale, 5.0f);    // hips - shoulder 1
    setSpring(guy, 0, 7, 55.0f * scale, 5.0f);    // hips - shoulder 2
    setSpring(guy, 6, 7, 40.0f * scale, 2.5f);    // shoulders
    setSpring(guy, 3, 6, 30.0f * scale, 5.0f);    // head - shoulder 1
    setSpring(guy, 3, 7, 30.0f * scale, 5.0f);    // head - shoulder 2
    setSpring(guy, 6, 4, 80.0f * scale, 2.0f);    // arm 1
    setSpring(guy, 7, 5, 80.0f * scale, 2.0f);    // arm 2
    setSpring(guy, 4, 5, 150.0f * scale, 0.1f);   // hand spread

    physicsDefaults = Prefs::standardUserDefaults();
    g_springCoefMultipler = loadMultiplier(physicsDefaults, kSpringCoefKey, kSpringCoefRange);
    g_springDampersMultipler = loadMultiplier(physicsDefaults, kSpringDampKey, kSpringDamperRange);
    g_stickynessMultiplier = loadMultiplier(physicsDefaults, kStickyKey, kStickynessRange);

    return guy;
}

void FreeGuy(Guy* guy)
{
    delete guy;
}

void SavePhysicsPrefs()
{
    Prefs* prefs = physicsDefaults ? physicsDefaults : Prefs::standardUserDefaults();
    prefs->setFloat(g_springCoefMultipler, kSpringCoefKey);
    prefs->setFloat(g_springDampersMultipler, kSpringDampKey);
    prefs->setFloat(g_stickynessMultiplier, kStickyKey);
}

}  // namespace zorbel
