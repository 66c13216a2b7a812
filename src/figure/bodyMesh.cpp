// Chalk strokes of the body: both legs in one stroke, arms and torso in
// another, and an open circle around each foot and hand.
#include "figure/myGuy.h"
#include "numbers/libcTrig.h"

#include <cmath>

namespace zorbel {

namespace {

// A knee or elbow: while the limb is shorter than its full length each half
// keeps half of it, bent away from the smoothed gravity.
void placeJoint(const Guy* g, int root, int end, float length, float* out)
{
    const float rx = g->posX[root];
    const float ry = g->posY[root];
    const float o = g->posX[end] - rx;
    const float t = g->posY[end] - ry;
    const float d = sqrtf(o * o + t * t);
    float a = d < length ? 0.5f * sqrtf(length * length - d * d) : 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    if (d > 0.0f) {
        b = o / d;
        c = t / d;
    }
    const float nx = -c;
    const float ny = b;
    if (nx * g->lpGravityX + ny * g->lpGravityY > 0.0f)
        a = -a;
    out[0] = (rx + 0.5f * o) + a * nx;
    out[1] = (ry + 0.5f * t) + a * ny;
}

// 31 points sweeping 300 degrees, leaving a 60-degree gap towards the limb's root.
void endCircle(const Guy* g, int centre, int root, float* out)
{
    const float cx = g->posX[centre];
    const float cy = g->posY[centre];
    const float dx = g->posX[root] - cx;
    const float dy = g->posY[root] - cy;
    const float towardsRoot = (dx == 0.0f && dy == 0.0f) ? 0.0f : libcAtan2f(dy, dx);
    const float r = g->radius[centre];
    float theta = towardsRoot + 0.5236f;
    for (int k = 0; k < 31; ++k) {
        out[2 * k] = cx + r * libcCosf(theta);
        out[2 * k + 1] = cy + r * libcSinf(theta);
        theta += 0.17452778f;  // 10 degrees with pi taken as 3.1415
    }
}

void copyPoint(const Guy* g, int mass, float* out)
{
    out[0] = g->posX[mass];
    out[1] = g->posY[mass];
}

}  // namespace

void PrepareBodyGLVertexArrays(Guy* guy)
{
    float* legs = guy->legsStrip;
    copyPoint(guy, 1, legs + 0);
    copyPoint(guy, 0, legs + 4);
    copyPoint(guy, 2, legs + 8);
    placeJoint(guy, 0, 1, guy->legLength, legs + 2);
    placeJoint(guy, 0, 2, guy->legLength, legs + 6);
    guy->legsStripN = 5;

    float* arms = guy->armsStrip;
    copyPoint(guy, 4, arms + 0);
    copyPoint(guy, 6, arms + 4);
    copyPoint(guy, 0, arms + 6);
    copyPoint(guy, 7, arms + 8);
    copyPoint(guy, 5, arms + 12);
    placeJoint(guy, 6, 4, guy->armLength, arms + 2);
    placeJoint(guy, 7, 5, guy->armLength, arms + 10);
    guy->armsStripN = 7;

    endCircle(guy, 1, 0, guy->foot1Strip);
    guy->foot1StripN = 31;
    endCircle(guy, 2, 0, guy->foot2Strip);
    guy->foot2StripN = 31;
    endCircle(guy, 4, 6, guy->hand1Strip);
    guy->hand1StripN = 31;
    endCircle(guy, 5, 7, guy->hand2Strip);
    guy->hand2StripN = 31;
}

}  // namespace zorbel
