// The GraphicsContext views draw into: a cairo context whose user space is
// the view's own coordinates in points. Also the conversions between
// RGBAImage and cairo surfaces.
#pragma once

#include "platform/imaging/cairoPixels.h"
#include "platform/kit/kit.h"

#include <cairo.h>

namespace zorbel {

class CairoContext final : public GraphicsContext {
public:
    explicit CairoContext(cairo_t* cr) : cr_(cr) {}
    cairo_t* cairo() const { return cr_; }

    void fillRect(Rect r, Color c) override;
    void drawImage(const Image& image, Rect r) override;
    void drawImageMasked(const Image& image, const Image& mask, Rect r) override;

private:
    cairo_t* cr_;
};

// The cairo context behind `context`, or nullptr when it is another kind.
cairo_t* cairoOf(GraphicsContext& context);

// An A8 mask from a grey image: alpha = 1 - grey, transparent counts as white.
cairo_surface_t* maskFromImage(const RGBAImage& image);

}  // namespace zorbel
