// The info icon in the lower right corner: a small spiral that swings
// towards gravity like a damped pendulum and flashes red on a beat.
#pragma once

namespace zorbel {

// The spiral's 48 (x, y) points around its centre, in world units.
void FillInfoVertices(float* infoVertices);

// One frame of the swing. angle is in degrees, kept in [-180, 180].
void SwingInfoIcon(float accelX, float accelY, float& angle, float& angleV, float& angleA);

// A tap on the info corner turns the icon half around; it then swings back.
void FlipInfoIcon(float& angle);

// Moves each component 10% of the way to the icon's light blue.
void FadeIconColour(float* rgb);

}  // namespace zorbel
