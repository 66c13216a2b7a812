// Single-precision sine, cosine and arc tangent that return, for every
// input, the float the desktop's C library (glibc on x86-64 with FMA)
// returns. The browser's C library rounds about one result in a hundred the
// other way, and the figure's strokes would drift by those ulps; with these
// the figure is the same float for float on every platform.
#pragma once

namespace zorbel {

float libcSinf(float x);
float libcCosf(float x);
float libcAtan2f(float y, float x);
// The arc tangent of one argument, which libcAtan2f is built on.
float libcAtanf(float x);

}  // namespace zorbel
