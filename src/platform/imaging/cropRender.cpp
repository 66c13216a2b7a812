#include "platform/imaging/cropRender.h"

#include "platform/imaging/graphics.h"
#include "platform/log/log.h"

namespace zorbel {

struct CropRenderer::Impl {
    std::unique_ptr<Picture> photo;         // the photo, drawn many times
    std::unique_ptr<BitmapContext> bitmap;  // ctxtW x ctxtH, the face at its bottom-left
    int imgW = 0, imgH = 0;
    int ctxtW = 0, ctxtH = 0;

    void release()
    {
        bitmap.reset();
        photo.reset();
        imgW = imgH = ctxtW = ctxtH = 0;
    }
};

CropRenderer::CropRenderer() : impl_(new Impl) {}

CropRenderer::~CropRenderer() = default;

bool CropRenderer::hasBitmap() const
{
    return impl_->bitmap != nullptr;
}

bool CropRenderer::setPhoto(const RGBAImage& photo)
{
    impl_->release();
    if (photo.width <= 0 || photo.height <= 0 ||
        photo.pixels.size() != size_t(photo.width) * size_t(photo.height) * 4) {
        logLine("crop: the photo is malformed (%d x %d, %zu bytes); no face can be made", photo.width, photo.height,
                photo.pixels.size());
        return false;
    }
    Impl& d = *impl_;
    d.imgW = photo.width;
    d.imgH = photo.height;
    d.ctxtW = photo.width < kFaceSquare ? kFaceSquare : photo.width;
    d.ctxtH = photo.height < kFaceSquare ? kFaceSquare : photo.height;
    d.photo = Picture::create(photo);
    if (d.photo)
        d.bitmap = BitmapContext::create(d.ctxtW, d.ctxtH);
    if (!d.bitmap) {
        logLine("crop: no bitmap for a %d x %d photo; no face can be made", photo.width, photo.height);
        impl_->release();
        return false;
    }
    return true;
}

bool CropRenderer::render(const FaceTransform& p, RGBAImage& out256, bool clipToSquare)
{
    Impl& d = *impl_;
    if (!d.bitmap)
        return false;
    GraphicsContext& gc = d.bitmap->context();

    gc.save();
    if (clipToSquare) {
        // Only the face's pixels are cleared and drawn.
        gc.rect({0, static_cast<float>(d.ctxtH - kFaceSquare), kFaceSquare, kFaceSquare});
        gc.clip();
    }
    gc.clear();

    // y-up space with its origin at the bitmap's bottom-left, then the
    // editor's rotate, translate, scale; each step applies before the ones
    // already set.
    Affine photoToBitmap;
    photoToBitmap.yy = -1;
    photoToBitmap.y0 = d.ctxtH;
    photoToBitmap.rotate(p.theta);
    photoToBitmap.translate(p.tx, p.ty);
    photoToBitmap.scale(p.scale, p.scale);
    // The photo's rows are stored top first: flip it within its rectangle so
    // that it stands upright in the y-up space.
    photoToBitmap.translate(0, d.imgH);
    photoToBitmap.scale(1, -1);

    const Point faceCentre{kFaceSquare * 0.5f, d.ctxtH - kFaceSquare * 0.5f};
    if (!gc.paintPictureMapped(*d.photo, photoToBitmap, faceCentre)) {
        logLine("crop: the transform (scale %g, turn %g, offset %g, %g) cannot be drawn; the face is empty",
                static_cast<double>(p.scale), static_cast<double>(p.theta), static_cast<double>(p.tx),
                static_cast<double>(p.ty));
    }
    gc.restore();

    // The bitmap's bottom-left square.
    d.bitmap->readPixels(0, d.ctxtH - kFaceSquare, kFaceSquare, kFaceSquare, out256);
    return true;
}

}  // namespace zorbel
