#include "platform/imaging/cropRender.h"

#include "platform/imaging/cairoPixels.h"

#include <cairo.h>

#include <cmath>

#include "platform/log/log.h"

namespace zorbel {

struct CropRenderer::Impl {
    cairo_surface_t* photo = nullptr;   // the photo, ARGB32, rows top first
    cairo_surface_t* bitmap = nullptr;  // ctxtW x ctxtH, the face at its bottom-left
    cairo_t* cr = nullptr;              // draws into bitmap; kept between renders
    int imgW = 0, imgH = 0;
    int ctxtW = 0, ctxtH = 0;

    void release()
    {
        if (cr)
            cairo_destroy(cr);
        if (bitmap)
            cairo_surface_destroy(bitmap);
        if (photo)
            cairo_surface_destroy(photo);
        cr = nullptr;
        bitmap = photo = nullptr;
        imgW = imgH = ctxtW = ctxtH = 0;
    }

    ~Impl() { release(); }
};

namespace {

bool finite(const cairo_matrix_t& m)
{
    return std::isfinite(m.xx) && std::isfinite(m.yx) && std::isfinite(m.xy) && std::isfinite(m.yy) &&
           std::isfinite(m.x0) && std::isfinite(m.y0);
}

// The sampling matrix (bitmap pixel -> photo pixel) for the drawing matrix
// `ctm` (photo -> bitmap), in steps pixman's 16.16 fixed point holds exactly:
// the linear part to 2^-15, the offset to 2^-16, true to the exact inverse at
// the anchor (the face centre). Cairo otherwise refits its fixed-point matrix
// around the centre of whatever area is drawn, so a clipped render would
// sample a hair away from a whole one; an exact matrix has nothing to refit,
// and every pixel comes out the same however much is drawn. The error this
// costs is under 0.01 photo pixel across the face.
bool samplingMatrix(const cairo_matrix_t& ctm, double anchorX, double anchorY, cairo_matrix_t& out)
{
    cairo_matrix_t inv = ctm;
    if (!finite(ctm) || cairo_matrix_invert(&inv) != CAIRO_STATUS_SUCCESS || !finite(inv))
        return false;
    auto step = [](double v, double units) { return std::round(v * units) / units; };
    const double kMax = 16384;  // well inside pixman's 16.16 range
    out = inv;
    out.xx = step(inv.xx, 32768);
    out.yx = step(inv.yx, 32768);
    out.xy = step(inv.xy, 32768);
    out.yy = step(inv.yy, 32768);
    if (!(std::fabs(out.xx) < kMax && std::fabs(out.yx) < kMax && std::fabs(out.xy) < kMax &&
          std::fabs(out.yy) < kMax) ||
        out.xx * out.yy - out.xy * out.yx == 0)
        return false;  // zoomed past what 16.16 can express
    double px = anchorX, py = anchorY;
    cairo_matrix_transform_point(&inv, &px, &py);
    out.x0 = step(px - (out.xx * anchorX + out.xy * anchorY), 65536);
    out.y0 = step(py - (out.yx * anchorX + out.yy * anchorY), 65536);
    return std::isfinite(out.x0) && std::isfinite(out.y0);
}

}  // namespace

CropRenderer::CropRenderer() : impl_(new Impl) {}

CropRenderer::~CropRenderer() = default;

bool CropRenderer::hasBitmap() const
{
    return impl_->cr != nullptr;
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
    d.photo = surfaceFromImage(photo);
    if (d.photo) {
        d.bitmap = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, d.ctxtW, d.ctxtH);
        if (cairo_surface_status(d.bitmap) == CAIRO_STATUS_SUCCESS)
            d.cr = cairo_create(d.bitmap);
    }
    if (!d.cr || cairo_status(d.cr) != CAIRO_STATUS_SUCCESS) {
        logLine("crop: no bitmap for a %d x %d photo; no face can be made", photo.width, photo.height);
        impl_->release();
        return false;
    }
    return true;
}

bool CropRenderer::render(const FaceTransform& p, RGBAImage& out256, bool clipToSquare)
{
    Impl& d = *impl_;
    if (!d.cr)
        return false;
    cairo_t* cr = d.cr;

    cairo_save(cr);
    cairo_identity_matrix(cr);
    if (clipToSquare) {
        // Only the face's pixels are cleared and drawn.
        cairo_rectangle(cr, 0, d.ctxtH - kFaceSquare, kFaceSquare, kFaceSquare);
        cairo_clip(cr);
    }
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);

    // y-up space with its origin at the bitmap's bottom-left, then the
    // editor's rotate, translate, scale; each step applies before the ones
    // already set.
    cairo_matrix_t ctm;  // photo pixel -> bitmap pixel
    cairo_matrix_init(&ctm, 1, 0, 0, -1, 0, d.ctxtH);
    cairo_matrix_rotate(&ctm, p.theta);
    cairo_matrix_translate(&ctm, p.tx, p.ty);
    cairo_matrix_scale(&ctm, p.scale, p.scale);
    // The photo's rows are stored top first: flip it within its rectangle so
    // that it stands upright in the y-up space.
    cairo_matrix_translate(&ctm, 0, d.imgH);
    cairo_matrix_scale(&ctm, 1, -1);

    cairo_matrix_t sampling;
    if (samplingMatrix(ctm, kFaceSquare * 0.5, d.ctxtH - kFaceSquare * 0.5, sampling)) {
        cairo_pattern_t* source = cairo_pattern_create_for_surface(d.photo);
        cairo_pattern_set_matrix(source, &sampling);
        cairo_pattern_set_filter(source, CAIRO_FILTER_BILINEAR);
        cairo_pattern_set_extend(source, CAIRO_EXTEND_NONE);
        cairo_set_source(cr, source);
        cairo_pattern_destroy(source);
        cairo_paint(cr);
    } else {
        logLine("crop: the transform (scale %g, turn %g, offset %g, %g) cannot be drawn; the face is empty",
                static_cast<double>(p.scale), static_cast<double>(p.theta), static_cast<double>(p.tx),
                static_cast<double>(p.ty));
    }
    cairo_restore(cr);

    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        // A context in error draws nothing more: start a fresh one and give
        // a transparent face this time.
        logLine("crop: drawing failed (%s); the face is empty", cairo_status_to_string(cairo_status(cr)));
        cairo_destroy(cr);
        d.cr = cairo_create(d.bitmap);
        cairo_set_operator(d.cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(d.cr);
        cairo_set_operator(d.cr, CAIRO_OPERATOR_OVER);
    }
    // The bitmap's bottom-left square.
    imageFromSurface(d.bitmap, out256, 0, d.ctxtH - kFaceSquare, kFaceSquare, kFaceSquare);
    return true;
}

}  // namespace zorbel
