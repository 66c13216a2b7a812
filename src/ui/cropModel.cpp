#include "ui/cropModel.h"

#include "numbers/libcTrig.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

// Index of the grab point nearest to (x, y) by squared distance; a tie keeps
// the lower index.
int nearestGrab(const CropModel& m, float x, float y)
{
    int best = 0;
    float bestD = 0;
    for (int i = 0; i < m.nbGrabs; ++i) {
        const float dx = m.grabx[i] - x;
        const float dy = m.graby[i] - y;
        const float d = dx * dx + dy * dy;
        if (i == 0 || d < bestD) {
            best = i;
            bestD = d;
        }
    }
    return best;
}

void removeGrab(CropModel& m, int k)
{
    for (int i = k; i + 1 < m.nbGrabs; ++i) {
        m.grabx[i] = m.grabx[i + 1];
        m.graby[i] = m.graby[i + 1];
    }
    --m.nbGrabs;
}

}  // namespace

void cropSetPhoto(CropModel& m, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;  // no pixels: the editor keeps whatever it had
    m.imgW = width;
    m.imgH = height;
    m.ctxtW = width <= kCropFaceSize - 1 ? kCropFaceSize : width;
    m.ctxtH = height <= kCropFaceSize - 1 ? kCropFaceSize : height;
    m.hasBitmap = true;
    m.clipRect.x = 0;
    m.clipRect.y = static_cast<float>(m.ctxtH - kCropFaceSize);
    m.clipRect.width = kCropFaceSize;
    m.clipRect.height = kCropFaceSize;
    m.imScale = 1.0f;
    m.imCenterX = static_cast<float>(m.imgW) * 0.5f;
    m.imCenterY = static_cast<float>(m.imgH) * 0.5f;
    m.imRot = 0;
}

void cropTouchesBegan(CropModel& m, const float* xy, int count, float boundsHeight)
{
    if (!xy)
        return;
    for (int i = 0; i < count; ++i) {
        const float x = xy[2 * i];
        const float y = boundsHeight - xy[2 * i + 1];
        // Fingers beyond the tenth, and positions that are not numbers, are not recorded.
        if (m.nbGrabs >= kCropMaxGrabs || !std::isfinite(x) || !std::isfinite(y))
            continue;
        m.grabx[m.nbGrabs] = x;
        m.graby[m.nbGrabs] = y;
        ++m.nbGrabs;
    }
}

bool cropTouchMoved(CropModel& m, float x, float y, float boundsHeight)
{
    const float tx = x;
    const float ty = boundsHeight - y;
    const int n = m.nbGrabs;
    // A finger that was never recorded moves nothing.
    if (n <= 0 || !std::isfinite(tx) || !std::isfinite(ty))
        return false;

    // Before any change: the pair's midpoint, distance and direction, or the
    // single grab point.
    float ox = m.grabx[0];
    float oy = m.graby[0];
    float dOld = 0;
    float aOld = 0;
    if (n >= 2) {
        ox = (m.grabx[0] + m.grabx[1]) * 0.5f;
        oy = (m.graby[0] + m.graby[1]) * 0.5f;
        const float dx = m.grabx[1] - m.grabx[0];
        const float dy = m.graby[1] - m.graby[0];
        dOld = std::sqrt(dx * dx + dy * dy);
        aOld = static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
    }

    const int k = n <= 1 ? 0 : nearestGrab(m, tx, ty);
    m.grabx[k] = tx;
    m.graby[k] = ty;
    if (k >= 2)
        return false;  // a third or later finger only updates its grab point

    float panX, panY;
    float f = 1.0f;
    float r = 0.0f;
    if (n >= 2) {
        // Two fingers, or the first two of more: pan by the midpoint, scale by
        // the distance, turn by the direction.
        panX = (m.grabx[0] + m.grabx[1]) * 0.5f - ox;
        panY = (m.graby[0] + m.graby[1]) * 0.5f - oy;
        if (dOld > 0) {
            const float ndx = m.grabx[1] - m.grabx[0];
            const float ndy = m.graby[1] - m.graby[0];
            const float sq = ndx * ndx + ndy * ndy;
            f = static_cast<float>(std::sqrt(static_cast<double>(sq)) / static_cast<double>(dOld));
            r = static_cast<float>(std::atan2(static_cast<double>(ndy), static_cast<double>(ndx)) -
                                   static_cast<double>(aOld));
            // A degenerate factor (distance under- or overflowed) would leave
            // the scale at 0 or infinite for good: that event pans only.
            if (!std::isfinite(f) || !(f > 0.0f) || !std::isfinite(r)) {
                f = 1.0f;
                r = 0.0f;
            }
        }
    } else {
        panX = m.grabx[0] - ox;
        panY = m.graby[0] - oy;
    }

    cropMove(m, panX, panY, f, r);
    return true;
}

void cropMove(CropModel& m, float panX, float panY, float factor, float turn)
{
    // The photo point under the face centre moves by the pan, undone through
    // the rotation and scale in force before this event.
    const float c = libcCosf(m.imRot);
    const float s = libcSinf(m.imRot);
    const float scale = m.imScale;
    m.imCenterX -= (panX * c + panY * s) / scale;
    m.imCenterY -= (panY * c - panX * s) / scale;
    m.imRot += turn;
    m.imScale *= factor;
}

namespace {

// The centre of the face in the output square, as cropFaceTransform places it.
void faceCentre(float& x, float& y)
{
    x = 181.0f * libcCosf(0.7854f);
    y = 181.0f * libcSinf(0.7854f);
}

void keepCentreOnPhoto(CropModel& m)
{
    m.imCenterX = std::min(std::max(m.imCenterX, 0.0f), static_cast<float>(m.imgW));
    m.imCenterY = std::min(std::max(m.imCenterY, 0.0f), static_cast<float>(m.imgH));
}

}  // namespace

void cropZoomAbout(CropModel& m, float x, float y, float factor, float turn)
{
    if (!m.hasBitmap || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(factor) || !(factor > 0.0f) ||
        !std::isfinite(turn))
        return;
    factor = std::min(std::max(factor, kCropMinScale / m.imScale), kCropMaxScale / m.imScale);
    turn = std::remainder(turn, 2.0f * 3.14159265f);
    // With D from the face centre to (x, y), the photo point under (x, y)
    // stays there when the face centre's point first moves by R(-turn) D /
    // factor - D.
    float cx, cy;
    faceCentre(cx, cy);
    const float dx = x - cx;
    const float dy = y - cy;
    const float c = libcCosf(turn);
    const float s = libcSinf(turn);
    cropMove(m, (dx * c + dy * s) / factor - dx, (dy * c - dx * s) / factor - dy, factor, turn);
    keepCentreOnPhoto(m);
}

void cropPan(CropModel& m, float dx, float dy)
{
    if (!m.hasBitmap || !std::isfinite(dx) || !std::isfinite(dy))
        return;
    cropMove(m, dx, dy, 1.0f, 0.0f);
    keepCentreOnPhoto(m);
}

void cropTouchesEnded(CropModel& m, const float* xy, int count, float boundsHeight)
{
    if (!xy)
        return;
    for (int i = 0; i < count; ++i) {
        if (m.nbGrabs <= 1) {
            m.nbGrabs = 0;
            continue;
        }
        removeGrab(m, nearestGrab(m, xy[2 * i], boundsHeight - xy[2 * i + 1]));
    }
}

FaceTransform cropFaceTransform(const CropModel& m)
{
    FaceTransform p;
    p.theta = m.imRot;
    p.scale = m.imScale;
    // The face centre sits at (181 cos 0.7854, 181 sin 0.7854), a hair under
    // (128, 128); the translation is applied after the rotation, hence a - theta.
    const float a = 0.7854f - p.theta;
    p.tx = 181.0f * libcCosf(a) - p.scale * m.imCenterX;
    p.ty = 181.0f * libcSinf(a) - p.scale * m.imCenterY;
    return p;
}

}  // namespace zorbel
