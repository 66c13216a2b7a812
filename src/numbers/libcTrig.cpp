// Sine and cosine: the argument goes to double, is reduced to [-pi/4, pi/4]
// around the nearest multiple of pi/2 (below 120 by subtracting n pi/2, above
// with a 4/pi table of 192 bits), and a short polynomial in double gives the
// result, rounded once to float.
//
// The C library's FMA build fuses its multiply-adds. What a fused subtraction
// gives in the reduction, x - n pi/2 rounded once, is had here without one:
// pi/2 is split in two, the first part short enough that n times it is exact,
// and the subtraction of that product exact as well (the two lie within a
// factor of two), so only the last subtraction rounds. The polynomial's
// fused and unfused evaluations round to the same float for every float
// argument (checked one by one), so it is evaluated plainly: fused
// multiply-adds cost much in WebAssembly, which has none.
//
// Arc tangent: all in float. |x| is brought near 0, 0.5, 1 or 1.5 (or
// inverted above 2.4375), an 11-term odd polynomial gives the rest, and the
// tabled arc tangent of the centre is added in two parts.
#include "numbers/libcTrig.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace zorbel {

namespace {

uint32_t bitsOf(float x)
{
    uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

float floatOf(uint32_t u)
{
    float x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

// Exponent and the top of the mantissa, sign dropped: ranges are told apart
// by comparing these.
uint32_t top12(float x)
{
    return (bitsOf(x) >> 20) & 0x7ff;
}

// The polynomial set of one half turn: the cosine terms of the second set
// are negated, which turns the result's sign for quadrants 2 and 3.
struct SinCosPoly {
    double c0, c1, c2, c3, c4;  // cosine: c0 + c1 x^2 + ... + c4 x^8
    double s1, s2, s3;          // sine: x + s1 x^3 + s2 x^5 + s3 x^7
};
constexpr SinCosPoly kPoly[2] = {
    {0x1p0, -0x1.ffffffd0c621cp-2, 0x1.55553e1068f19p-5, -0x1.6c087e89a359dp-10, 0x1.99343027bf8c3p-16,
     -0x1.555545995a603p-3, 0x1.1107605230bc4p-7, -0x1.994eb3774cf24p-13},
    {-0x1p0, 0x1.ffffffd0c621cp-2, -0x1.55553e1068f19p-5, 0x1.6c087e89a359dp-10, -0x1.99343027bf8c3p-16,
     -0x1.555545995a603p-3, 0x1.1107605230bc4p-7, -0x1.994eb3774cf24p-13},
};
constexpr double kQuadrantSign[4] = {1.0, -1.0, -1.0, 1.0};
constexpr double kTwoOverPiScaled = 0x1.45F306DC9C883p+23;  // 2/pi * 2^24: the quadrant lands in bits 24 and up
constexpr double kHalfPiHigh = 0x1.921FB54442p0;            // 41 bits: times n < 2^12, exact
constexpr double kHalfPiLow = 0x1.921FB54442D18p0 - 0x1.921FB54442p0;
constexpr double kTwoPiOver2To64 = 0x1.921FB54442D18p-62;
constexpr float kQuarterPi = 0x1.921FB6p-1f;

// 4/pi in 192 bits; entry i holds bits 8i to 8i + 31, so any 96-bit window
// starts on a whole entry.
constexpr uint32_t kFourOverPi[24] = {
    0xa2,       0xa2f9,     0xa2f983,   0xa2f9836e, 0xf9836e4e, 0x836e4e44, 0x6e4e4415, 0x4e441529,
    0x441529fc, 0x1529fc27, 0x29fc2757, 0xfc2757d1, 0x2757d1f5, 0x57d1f534, 0xd1f534dd, 0xf534ddc0,
    0x34ddc0db, 0xddc0db62, 0xc0db6295, 0xdb629599, 0x6295993c, 0x95993c43, 0x993c4390, 0x3c439041,
};

// The sine polynomial for an even quadrant, the cosine polynomial for an odd one.
float evaluate(double x, double x2, const SinCosPoly& p, int quadrant)
{
    if ((quadrant & 1) == 0) {
        const double x3 = x * x2;
        const double tail = p.s2 + x2 * p.s3;
        const double x7 = x3 * x2;
        const double head = x + x3 * p.s1;
        return static_cast<float>(head + x7 * tail);
    }
    const double x4 = x2 * x2;
    const double tail = p.c3 + x2 * p.c4;
    const double head = p.c0 + x2 * p.c1;
    const double x6 = x4 * x2;
    const double mid = head + x4 * p.c2;
    return static_cast<float>(mid + x6 * tail);
}

// pi/4 <= |x| < 120: x minus the nearest multiple n of pi/2, rounded once.
double reduceSmall(double x, int& quadrant)
{
    const double r = x * kTwoOverPiScaled;
    const int n = (static_cast<int32_t>(r) + 0x800000) >> 24;
    quadrant = n;
    const double exact = x - n * kHalfPiHigh;
    return exact - n * kHalfPiLow;
}

// |x| >= 120, finite: the fraction of x * 4/pi from a 32 x 96 bit product.
double reduceLarge(uint32_t xi, int& quadrant)
{
    const uint32_t* window = &kFourOverPi[(xi >> 26) & 15];
    const int shift = (xi >> 23) & 7;
    xi = (xi & 0xffffff) | 0x800000;
    xi <<= shift;
    uint64_t r0 = xi * window[0];
    const uint64_t r1 = static_cast<uint64_t>(xi) * window[4];
    const uint64_t r2 = static_cast<uint64_t>(xi) * window[8];
    r0 = (r2 >> 32) | (r0 << 32);
    r0 += r1;
    const uint64_t n = (r0 + (1ULL << 61)) >> 62;
    r0 -= n << 62;
    quadrant = static_cast<int>(n);
    return static_cast<double>(static_cast<int64_t>(r0)) * kTwoPiOver2To64;
}

// Both functions share everything but the quadrant's parity: cosine is the
// sine a quarter turn on.
float sinOrCos(float y, bool cosine)
{
    double x = y;
    if (top12(y) < top12(kQuarterPi)) {
        if (top12(y) < top12(0x1p-12f))
            return cosine ? 1.0f : y;
        return evaluate(x, x * x, kPoly[0], cosine ? 1 : 0);
    }
    int n = 0;
    int signedQuadrant = 0;
    if (top12(y) < top12(120.0f)) {
        x = reduceSmall(x, n);
        signedQuadrant = n;
    } else if (top12(y) < top12(INFINITY)) {
        const uint32_t xi = bitsOf(y);
        x = reduceLarge(xi, n);
        signedQuadrant = n + static_cast<int>(xi >> 31);
    } else {
        return (y - y) / (y - y);  // infinite or not a number
    }
    const double s = kQuadrantSign[signedQuadrant & 3];
    const SinCosPoly& p = (signedQuadrant & 2) ? kPoly[1] : kPoly[0];
    return evaluate(x * s, x * x, p, cosine ? n ^ 1 : n);
}

constexpr float kAtanHi[4] = {4.6364760399e-01f, 7.8539812565e-01f, 9.8279368877e-01f, 1.5707962513e+00f};
constexpr float kAtanLo[4] = {5.0121582440e-09f, 3.7748947079e-08f, 3.4473217170e-08f, 7.5497894159e-08f};
constexpr float kAtanPoly[11] = {
    3.3333334327e-01f, -2.0000000298e-01f, 1.4285714924e-01f, -1.1111110449e-01f, 9.0908870101e-02f, -7.6918758452e-02f,
    6.6610731184e-02f, -5.8335702866e-02f, 4.9768779427e-02f, -3.6531571299e-02f, 1.6285819933e-02f,
};

}  // namespace

float libcSinf(float x)
{
    return sinOrCos(x, false);
}

float libcCosf(float x)
{
    return sinOrCos(x, true);
}

float libcAtanf(float x)
{
    const uint32_t hx = bitsOf(x);
    const uint32_t ix = hx & 0x7fffffff;
    const bool negative = hx >> 31;
    if (ix >= 0x4c000000) {  // |x| >= 2^25, infinite, or not a number
        if (ix > 0x7f800000)
            return x + x;
        return negative ? -kAtanHi[3] - kAtanLo[3] : kAtanHi[3] + kAtanLo[3];
    }
    int centre = -1;
    if (ix < 0x3ee00000) {  // |x| < 0.4375
        if (ix < 0x31000000)
            return x;  // |x| < 2^-29: atan x is x
    } else {
        x = std::fabs(x);
        if (ix < 0x3f300000) {  // below 11/16: around 0.5
            centre = 0;
            x = (2.0f * x - 1.0f) / (2.0f + x);
        } else if (ix < 0x3f980000) {  // below 19/16: around 1
            centre = 1;
            x = (x - 1.0f) / (x + 1.0f);
        } else if (ix < 0x401c0000) {  // below 2.4375: around 1.5
            centre = 2;
            x = (x - 1.5f) / (1.0f + 1.5f * x);
        } else {  // towards infinity
            centre = 3;
            x = -1.0f / x;
        }
    }
    const float z = x * x;
    const float w = z * z;
    const float* a = kAtanPoly;
    const float odd = z * (a[0] + w * (a[2] + w * (a[4] + w * (a[6] + w * (a[8] + w * a[10])))));
    const float even = w * (a[1] + w * (a[3] + w * (a[5] + w * (a[7] + w * a[9]))));
    if (centre < 0)
        return x - x * (odd + even);
    const float r = kAtanHi[centre] - ((x * (odd + even) - kAtanLo[centre]) - x);
    return negative ? -r : r;
}

float libcAtan2f(float y, float x)
{
    const float tiny = 1.0e-30f;
    const float quarterPi = 7.8539818525e-01f;
    const float halfPi = 1.5707963705e+00f;
    const float pi = 3.1415927410e+00f;
    const float piLo = -8.7422776573e-08f;  // pi - (float)pi
    const uint32_t hx = bitsOf(x), ix = hx & 0x7fffffff;
    const uint32_t hy = bitsOf(y), iy = hy & 0x7fffffff;
    if (ix > 0x7f800000 || iy > 0x7f800000)
        return x + y;  // not a number
    if (hx == 0x3f800000)
        return libcAtanf(y);  // x = 1
    // Quadrant: bit 0 the sign of y, bit 1 the sign of x.
    const int m = static_cast<int>((hy >> 31) | ((hx >> 30) & 2));
    if (iy == 0) {
        switch (m) {
        case 0:
        case 1:
            return y;
        case 2:
            return pi + tiny;
        default:
            return -pi - tiny;
        }
    }
    if (ix == 0)
        return (hy >> 31) ? -halfPi - tiny : halfPi + tiny;
    if (ix == 0x7f800000) {
        if (iy == 0x7f800000) {
            switch (m) {
            case 0:
                return quarterPi + tiny;
            case 1:
                return -quarterPi - tiny;
            case 2:
                return 3.0f * quarterPi + tiny;
            default:
                return -3.0f * quarterPi - tiny;
            }
        }
        switch (m) {
        case 0:
            return 0.0f;
        case 1:
            return -0.0f;
        case 2:
            return pi + tiny;
        default:
            return -pi - tiny;
        }
    }
    if (iy == 0x7f800000)
        return (hy >> 31) ? -halfPi - tiny : halfPi + tiny;

    const int k = (static_cast<int>(iy) - static_cast<int>(ix)) >> 23;
    float z;
    if (k > 60)
        z = halfPi + 0.5f * piLo;  // |y/x| > 2^60
    else if ((hx >> 31) && k < -60)
        z = 0.0f;  // |y/x| < 2^-60 with x < 0
    else
        z = libcAtanf(std::fabs(y / x));
    switch (m) {
    case 0:
        return z;
    case 1:
        return floatOf(bitsOf(z) ^ 0x80000000u);
    case 2:
        return pi - (z - piLo);
    default:
        return (z - piLo) - pi;
    }
}

}  // namespace zorbel
