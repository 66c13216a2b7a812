// The chalk head (a spiralling outline, blinking eyes, nose, mouth) and the
// fixed fan that carries a photo face.
#include "figure/myGuy.h"
#include "numbers/libcTrig.h"

#include <cmath>

namespace zorbel {

namespace {

const float kStep5 = 0.08726389f;   // 5 degrees with pi taken as 3.1415
const float kStep30 = 0.52358335f;  // 30 degrees likewise

// Reference radii of the photo face outline, every 5 degrees from the top.
const float faceRefRadii[73] = {
    4.32f, 4.32f, 4.36f, 4.31f, 4.16f, 4.08f, 4.01f, 3.92f, 3.71f, 3.59f, 3.5f,  3.34f, 3.22f, 3.13f, 3.03f,
    2.95f, 2.89f, 2.79f, 2.7f,  2.68f, 2.59f, 2.56f, 2.64f, 2.67f, 2.64f, 2.81f, 3.0f,  3.16f, 3.34f, 3.52f,
    3.6f,  3.7f,  3.79f, 3.92f, 4.01f, 4.1f,  4.14f, 4.1f,  4.01f, 3.92f, 3.79f, 3.7f,  3.6f,  3.52f, 3.34f,
    3.16f, 3.0f,  2.81f, 2.64f, 2.67f, 2.64f, 2.56f, 2.59f, 2.68f, 2.7f,  2.79f, 2.89f, 2.95f, 3.03f, 3.13f,
    3.22f, 3.34f, 3.5f,  3.59f, 3.71f, 3.92f, 4.01f, 4.08f, 4.16f, 4.31f, 4.36f, 4.32f, 4.32f,
};

// Points on a circle, the angle advanced by float addition of the step.
void circle(float cx, float cy, float radius, float& angle, float step, int count, float* out)
{
    for (int k = 0; k < count; ++k) {
        out[2 * k] = cx + radius * libcCosf(angle);
        out[2 * k + 1] = cy + radius * libcSinf(angle);
        angle += step;
    }
}

// A short dash across the face through (cx, cy), along v.
void dash(float cx, float cy, float halfLength, float vx, float vy, float* out)
{
    out[0] = cx - halfLength * vx;
    out[1] = cy - halfLength * vy;
    out[2] = cx + halfLength * vx;
    out[3] = cy + halfLength * vy;
}

}  // namespace

void PrepareHeadGLVertexArrays(Guy* guy)
{
    const float hx = guy->posX[3];
    const float hy = guy->posY[3];
    const float dx = hx - guy->posX[0];
    const float dy = hy - guy->posY[0];
    const float phi = (dx == 0.0f && dy == 0.0f) ? 0.0f : libcAtan2f(dy, dx);
    const float R = guy->radius[3];
    const float ux = libcCosf(phi);  // the head's up
    const float uy = libcSinf(phi);
    const float vx = libcSinf(phi);  // up turned clockwise: screen right when upright
    const float vy = -libcCosf(phi);

    // Outline: 400 degrees, widening from R to 1.5 R.
    float theta = phi;
    float r = R;
    const float grow = (R * 0.5f) / 80.0f;
    for (int k = 0; k < 81; ++k) {
        guy->headStrip[2 * k] = hx + r * libcCosf(theta);
        guy->headStrip[2 * k + 1] = hy + r * libcSinf(theta);
        theta += kStep5;
        r += grow;
    }
    guy->headStripN = 81;

    // Eyes: the +v eye first; open eyes continue the outline's running angle.
    const float eyeUpX = hx + (0.3f * R) * ux;
    const float eyeUpY = hy + (0.3f * R) * uy;
    const float eye2X = eyeUpX + (0.4f * R) * vx;
    const float eye2Y = eyeUpY + (0.4f * R) * vy;
    const float eye1X = eyeUpX - (0.4f * R) * vx;
    const float eye1Y = eyeUpY - (0.4f * R) * vy;
    if (guy->eyesOpen) {
        circle(eye2X, eye2Y, 0.15f * R, theta, kStep30, 12, guy->eye2Strip);
        guy->eye2StripN = 12;
        circle(eye1X, eye1Y, 0.15f * R, theta, kStep30, 12, guy->eye1Strip);
        guy->eye1StripN = 12;
    } else {
        dash(eye2X, eye2Y, 0.25f * R, vx, vy, guy->eye2Strip);
        guy->eye2StripN = 2;
        dash(eye1X, eye1Y, 0.25f * R, vx, vy, guy->eye1Strip);
        guy->eye1StripN = 2;
    }

    // Nose: a half circle below the head centre, opening upwards.
    float noseAngle = phi + 1.5708f;
    circle(hx - (0.15f * R) * ux, hy - (0.15f * R) * uy, 0.15f * R, noseAngle, kStep30, 7, guy->noseStrip);
    guy->noseStripN = 7;

    const float mouthX = hx - (0.7f * R) * ux;
    const float mouthY = hy - (0.7f * R) * uy;
    if (guy->mouthOpen) {
        float mouthAngle = phi;
        circle(mouthX, mouthY, 0.2f * R, mouthAngle, kStep30, 12, guy->mouthStrip);
        guy->mouthStripN = 12;
    } else {
        dash(mouthX, mouthY, 0.2f * R, vx, vy, guy->mouthStrip);
        guy->mouthStripN = 2;
    }
}

void PrepareFaceGLVertexArrays(float* faceVertices, float* faceTextCoords, int* faceVerticesN)
{
    float a = 1.5707499f;  // 90 * 3.1415 / 180 in float
    for (int k = 0; k < 73; ++k) {
        const float rho = faceRefRadii[k];
        faceVertices[2 * k] = (0.05f * rho) * libcCosf(a);
        faceVertices[2 * k + 1] = (0.05f * rho) * libcSinf(a);
        faceTextCoords[2 * k] = 0.5f + (0.1f * rho) * libcCosf(a);
        faceTextCoords[2 * k + 1] = 0.5f - (0.1f * rho) * libcSinf(a);
        a += kStep5;
    }
    *faceVerticesN = 73;
}

}  // namespace zorbel
