// Where a photo lands in the 256 x 256 face: the drawing transform of one
// render, in the order the steps are applied to the face's y-up user space
// (each before the steps already set): rotate by theta (radians,
// counter-clockwise), translate by (tx, ty) face pixels, scale by (scale,
// scale) face pixels per photo pixel.
#pragma once

namespace zorbel {

struct FaceTransform {
    float theta = 0;
    float scale = 0;
    float tx = 0;
    float ty = 0;
};

}  // namespace zorbel
