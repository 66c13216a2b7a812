// Rendering of the crop editor's face: the photo drawn under the editor's
// transform into a bitmap at least 256 x 256, and the 256 x 256 square at the
// bitmap's bottom-left cut out of it. Where the photo does not reach, the
// face is fully transparent. Sampling is bilinear; the photo's edges blend
// into transparency over one photo pixel.
#pragma once

#include <memory>

#include "platform/imaging/faceTransform.h"
#include "platform/imaging/image.h"

namespace zorbel {

constexpr int kFaceSquare = 256;  // the face's side, pixels

// Holds one photo and its bitmap, made once per photo, so that each move of
// a finger only draws.
class CropRenderer {
public:
    CropRenderer();
    ~CropRenderer();
    CropRenderer(const CropRenderer&) = delete;
    CropRenderer& operator=(const CropRenderer&) = delete;

    // Takes a copy of `photo` (RGBA premultiplied, rows top first) and makes
    // its bitmap: the photo's size, at least 256 each way. Returns false, logs
    // a line and keeps no bitmap when the photo is malformed or the memory
    // cannot be had.
    bool setPhoto(const RGBAImage& photo);

    bool hasBitmap() const;

    // Renders the photo under the transform (only the transform is read:
    // sizes come from the photo given to setPhoto) and writes the 256 x 256
    // face to `out256`. With clipToSquare only the face's pixels are cleared
    // and drawn; the pixels come out the same either way. Returns false when
    // there is no bitmap or `m` has no photo. A transform that cannot be drawn
    // (scale 0, not finite) gives a fully transparent face.
    bool render(const FaceTransform& t, RGBAImage& out256, bool clipToSquare = true);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zorbel
