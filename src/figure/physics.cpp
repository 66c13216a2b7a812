// One fixed physics step: damped semi-implicit Euler in single precision,
// walls with a weak bounce and static friction, then the small behaviours
// (dance, balance, shoulder order, blinking, mouth).
#include "figure/myGuy.h"
#include "numbers/libcRandom.h"
#include "numbers/libcTrig.h"

#include <cmath>

namespace zorbel {

namespace {

void springForces(Guy* g)
{
    for (int i = 0; i < 8; ++i) {
        float fx = 0.0f;
        float fy = 0.0f;
        for (int n = 1; n < 8; ++n) {
            const int j = (i + n) % 8;
            if (!(g->springCoef[i][j] > 0.0f))
                continue;
            const float dx = g->posX[j] - g->posX[i];
            const float dy = g->posY[j] - g->posY[i];
            const float dist = sqrtf(dx * dx + dy * dy);
            float ux, uy;
            if (dist > 0.0f) {
                ux = dx / dist;
                uy = dy / dist;
            } else {
                // Zero-length spring: push along a random whole-degree direction.
                const float a = (static_cast<float>(libcRand() % 360) * 3.1415f) / 180.0f;
                ux = libcCosf(a);
                uy = libcSinf(a);
            }
            const float closing = ux * (g->velX[j] - g->velX[i]) + uy * (g->velY[j] - g->velY[i]);
            const float tension = g->springCoef[i][j] * g_springCoefMultipler * (dist - g->restLength[i][j]) +
                                  closing * g->springDamper[i][j] * g_springDampersMultipler;
            fx += ux * tension;
            fy += uy * tension;
        }

        const float m = g->mass[i];
        if (m == 0.0f) {
            g->accX[i] = 0.0f;
            g->accY[i] = 0.0f;
            continue;
        }
        const float ax = fx / fabsf(m);
        const float ay = fy / fabsf(m);
        if (m > 0.0f) {
            g->accX[i] = g->scale * g->gravityX + ax;
            g->accY[i] = g->scale * g->gravityY + ay;
        } else {
            // Negative masses feel smoothed gravity reversed, but shakes the same way.
            g->accX[i] = g->scale * (g->gravityX - 2.0f * g->lpGravityX) + ax;
            g->accY[i] = g->scale * (g->gravityY - 2.0f * g->lpGravityY) + ay;
        }
    }
}

void holdGrabbedMasses(Guy* g)
{
    const float reach = (50.0f * g->scale) * (50.0f * g->scale);
    for (int k = 0; k < g->grabCount; ++k) {
        int nearest = -1;
        float best = reach;
        for (int m = 0; m < 8; ++m) {
            const float dx = g->posX[m] - g->grabX[k];
            const float dy = g->posY[m] - g->grabY[k];
            const float d = dx * dx + dy * dy;
            if (d < best) {
                best = d;
                nearest = m;
            }
        }
        if (nearest < 0)
            continue;
        g->posX[nearest] = g->grabX[k];
        g->posY[nearest] = g->grabY[k];
        g->velX[nearest] = 0.0f;
        g->velY[nearest] = 0.0f;
        g->accX[nearest] = 0.0f;
        g->accY[nearest] = 0.0f;
    }
}

// A mass lying exactly on a wall grips while the force along the wall stays
// under the friction limit. Exact equality holds because the collision clamp
// stores the very same bound +- radius sums.
void integrateVelocities(Guy* g, float h)
{
    const float mu = g->stickyness * g_stickynessMultiplier;
    for (int i = 0; i < 8; ++i) {
        const float ax = g->accX[i];
        const float ay = g->accY[i];
        const bool gripX = (g->posY[i] == g->maxY - g->radius[i] && fabsf(ax) < mu * ay) ||
                           (g->posY[i] == g->minY + g->radius[i] && fabsf(ax) < mu * (-ay));
        if (gripX)
            g->velX[i] = 0.0f;
        else
            g->velX[i] += h * ax;

        const bool gripY = (g->posX[i] == g->maxX - g->radius[i] && fabsf(ay) < mu * ax) ||
                           (g->posX[i] == g->minX + g->radius[i] && fabsf(ay) < mu * (-ax));
        if (gripY)
            g->velY[i] = 0.0f;
        else
            g->velY[i] += h * ay;
    }
    const float keep = 1.0f - g->drag;
    for (int i = 0; i < 8; ++i) {
        g->velX[i] *= keep;
        g->velY[i] *= keep;
    }
}

float clampMove(float move, float limit)
{
    if (move > limit)
        return limit;
    if (move < -limit)
        return -limit;
    return move;
}

void moveAndCollide(Guy* g, float h)
{
    const float limit = 50.0f * g->scale;
    for (int i = 0; i < 8; ++i) {
        g->posX[i] += clampMove(h * g->velX[i], limit);
        g->posY[i] += clampMove(h * g->velY[i], limit);

        const float r = g->radius[i];
        if (g->posX[i] > g->maxX - r) {
            g->posX[i] = g->maxX - r;
            g->velX[i] = -0.3f * fabsf(g->velX[i]);
        }
        if (g->posX[i] < g->minX + r) {
            g->posX[i] = g->minX + r;
            g->velX[i] = 0.3f * fabsf(g->velX[i]);
        }
        if (g->posY[i] > g->maxY - r) {
            g->posY[i] = g->maxY - r;
            g->velY[i] = -0.3f * fabsf(g->velY[i]);
        }
        if (g->posY[i] < g->minY + r) {
            g->posY[i] = g->minY + r;
            g->velY[i] = 0.3f * fabsf(g->velY[i]);
        }
    }
}

void runDanceClock(Guy* g, float beat)
{
    if (noMusicCountDown > 0) {
        --noMusicCountDown;
        if (noMusicCountDown == 0)
            ResetPosture(g);
    }
    if (beat > 0.0f) {
        ChangePosture(g, static_cast<int>(floorf(beat * 100.0f)));
        noMusicCountDown = 60;
    }
    if (noMusicCountDown == 0) {
        SetRestLength(g, 0, 1, 100.0f * g->scale);
        SetRestLength(g, 0, 2, 100.0f * g->scale);
    }
}

// Shorten the leg under the weight and widen the stance, so he steps.
void keepBalance(Guy* g)
{
    const float dx = g->posX[2] - g->posX[1];
    const float dy = g->posY[2] - g->posY[1];
    const float feet = sqrtf(dx * dx + dy * dy);
    float p = feet * 0.5f;  // where the line of gravity through the hips meets the feet line
    if (feet > 0.0f) {
        const float ex = dx / feet;
        const float ey = dy / feet;
        const float l = ex * g->lpGravityY - ey * g->lpGravityX;
        if (l != 0.0f)
            p = (g->lpGravityX * (g->posY[1] - g->posY[0]) - g->lpGravityY * (g->posX[1] - g->posX[0])) / l;
    }
    const float scale = g->scale;
    SetRestLength(g, 1, 2, 80.0f * scale);
    if (p > 0.85f * feet) {
        SetRestLength(g, 0, 2, 70.0f * scale);
        SetRestLength(g, 1, 2, 120.0f * scale);
    }
    if (p < 0.15f * feet) {
        SetRestLength(g, 0, 1, 70.0f * scale);
        SetRestLength(g, 1, 2, 120.0f * scale);
    }

    // Lying or sitting against a wall: draw the feet together.
    const float r = g->radius[0];
    if (g->posX[0] == g->minX + r || g->posX[0] == g->maxX - r || g->posY[0] == g->minY + r ||
        g->posY[0] == g->maxY - r)
        SetRestLength(g, 1, 2, 0.0f);
}

// Keep the arms from crossing in front of the body.
void keepShoulderOrder(Guy* g)
{
    const float order =
        (g->posX[7] - g->posX[6]) * (g->posX[5] - g->posX[4]) + (g->posY[7] - g->posY[6]) * (g->posY[5] - g->posY[4]);
    if (order < 0.0f) {
        const float x = g->posX[6];
        const float y = g->posY[6];
        g->posX[6] = g->posX[7];
        g->posY[6] = g->posY[7];
        g->posX[7] = x;
        g->posY[7] = y;
    }
}

void blinkAndGape(Guy* g)
{
    if (--g->blinkCountDown == 0) {
        g->eyesOpen = 1 - g->eyesOpen;
        if (!g->eyesOpen)
            g->blinkCountDown = 4;
        else
            g->blinkCountDown = (2 - g->mouthOpen) * static_cast<int>(floorf(randBetween(60.0f, 120.0f)));
    }
    // He gapes while off his feet: both feet clamped to one floor or wall close the mouth.
    g->mouthOpen = (g->posX[1] == g->posX[2] || g->posY[1] == g->posY[2]) ? 0 : 1;
}

}  // namespace

void IntegratePhysics(Guy* guy, float dt, float beat)
{
    const float h = (dt * 0.2f) / 0.03f;

    guy->lpGravityX += (guy->gravityX - guy->lpGravityX) * 0.1f;
    guy->lpGravityY += (guy->gravityY - guy->lpGravityY) * 0.1f;

    springForces(guy);
    holdGrabbedMasses(guy);
    integrateVelocities(guy, h);
    moveAndCollide(guy, h);
    runDanceClock(guy, beat);
    keepBalance(guy);
    keepShoulderOrder(guy);
    blinkAndGape(guy);
}

}  // namespace zorbel
