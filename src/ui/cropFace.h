// The crop editor's transform as the face renderer takes it.
#pragma once

#include "platform/imaging/cropRender.h"
#include "ui/cropModel.h"

namespace zorbel {

inline FaceTransform faceTransform(const CropModel& m)
{
    const CropRenderParams p = cropRenderParams(m);
    return {p.theta, p.scale, p.tx, p.ty};
}

// The face under the editor's transform; false while it has no photo.
inline bool renderCropFace(CropRenderer& renderer, const CropModel& m, RGBAImage& face, bool clipToSquare = true)
{
    return m.hasBitmap && renderer.render(faceTransform(m), face, clipToSquare);
}

}  // namespace zorbel
