// The crop editor's face, rendered under its transform.
#pragma once

#include "platform/imaging/cropRender.h"
#include "ui/cropModel.h"

namespace zorbel {

// The face under the editor's transform; false while it has no photo.
inline bool renderCropFace(CropRenderer& renderer, const CropModel& m, RGBAImage& face, bool clipToSquare = true)
{
    return m.hasBitmap && renderer.render(cropFaceTransform(m), face, clipToSquare);
}

}  // namespace zorbel
