#include "view/infoIcon.h"

#include <cmath>

namespace zorbel {

void FillInfoVertices(float* infoVertices)
{
    float r = 0.01f;
    float a = 0.8727f;
    for (int k = 0; k < 48; ++k) {
        infoVertices[2 * k] = static_cast<float>(static_cast<double>(r) * cos(static_cast<double>(a)));
        infoVertices[2 * k + 1] = static_cast<float>(static_cast<double>(r) * sin(static_cast<double>(a)));
        r += 0.00125f;
        a += 0.349056f;
    }
}

void SwingInfoIcon(float accelX, float accelY, float& angle, float& angleV, float& angleA)
{
    float diff = 0.0f;
    if (accelX * accelX + accelY * accelY > 0.005f) {
        // Degrees with pi taken as 3.1415, as everywhere in the scene.
        const double target = atan2(static_cast<double>(accelX), static_cast<double>(-accelY)) * 180.0 / 3.1415;
        diff = static_cast<float>(target - static_cast<double>(angle));
        if (diff > 180.0f)
            diff -= 360.0f;
        if (diff < -180.0f)
            diff += 360.0f;
    }
    angleA = 2.0f * diff - 0.2f * angleV;
    angleV += 0.1f * angleA;
    angle = static_cast<float>(static_cast<double>(angle) + 0.1 * static_cast<double>(angleV));
    if (angle > 180.0f)
        angle -= 360.0f;
    if (angle < -180.0f)
        angle += 360.0f;
}

void FlipInfoIcon(float& angle)
{
    angle = angle + 180.0f;
    if (angle > 180.0f)
        angle -= 360.0f;
    if (angle < -180.0f)
        angle += 360.0f;
}

void FadeIconColour(float* rgb)
{
    static const float target[3] = {0.553f, 0.773f, 1.0f};
    for (int i = 0; i < 3; ++i)
        rgb[i] = rgb[i] + (target[i] - rgb[i]) * 0.1f;
}

}  // namespace zorbel
