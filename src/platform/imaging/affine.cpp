// Affine maps with cairo's arithmetic: the same products and sums in the
// same order, so that what is built here matches what cairo would build.
#include "platform/imaging/graphics.h"

#include <cmath>

namespace zorbel {

Affine multiply(const Affine& a, const Affine& b)
{
    Affine r;
    r.xx = a.xx * b.xx + a.yx * b.xy;
    r.yx = a.xx * b.yx + a.yx * b.yy;
    r.xy = a.xy * b.xx + a.yy * b.xy;
    r.yy = a.xy * b.yx + a.yy * b.yy;
    r.x0 = a.x0 * b.xx + a.y0 * b.xy + b.x0;
    r.y0 = a.x0 * b.yx + a.y0 * b.yy + b.y0;
    return r;
}

void Affine::translate(double tx, double ty)
{
    Affine step;
    step.x0 = tx;
    step.y0 = ty;
    *this = multiply(step, *this);
}

void Affine::scale(double sx, double sy)
{
    Affine step;
    step.xx = sx;
    step.yy = sy;
    *this = multiply(step, *this);
}

void Affine::rotate(double radians)
{
    const double s = std::sin(radians);
    const double c = std::cos(radians);
    Affine step;
    step.xx = c;
    step.yx = s;
    step.xy = -s;
    step.yy = c;
    *this = multiply(step, *this);
}

}  // namespace zorbel
