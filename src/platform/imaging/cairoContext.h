// The drawing interface over cairo: a context on any cairo surface, and the
// pictures it draws, kept as cairo image surfaces.
#pragma once

#include "platform/imaging/graphics.h"

#include <cairo.h>

namespace zorbel {

class CairoContext : public GraphicsContext {
public:
    explicit CairoContext(cairo_t* cr) : cr_(cr) {}

    void save() override;
    void restore() override;
    void translate(double dx, double dy) override;
    void scale(double sx, double sy) override;
    void beginPath() override;
    void moveTo(float x, float y) override;
    void lineTo(float x, float y) override;
    void arc(float cx, float cy, float radius, double a0, double a1) override;
    void rect(Rect r) override;
    void roundedRect(Rect r, float radius) override;
    void fill(const Paint& paint, bool keepPath) override;
    void stroke(const Paint& paint, float width, LineCap cap, LineJoin join, bool keepPath) override;
    void clip() override;
    void beginLayer() override;
    void endLayer(float alpha) override;
    void clear() override;
    void drawImage(const Image& image, Rect r) override;
    void drawImageMasked(const Image& image, const Image& mask, Rect r) override;
    void paintPicture(const Picture& picture, Rect r) override;
    bool paintPictureMapped(const Picture& picture, const Affine& pictureToUser, Point exactAt) override;
    void drawText(const std::string& text, const TextStyle& style, Rect r) override;
    float textWidth(const std::string& text, const TextStyle& style) override;

protected:
    cairo_t* cr_;
};

// Text laid out with pango in cairo's current user space (points).
void drawCairoText(cairo_t* cr, const std::string& text, const TextStyle& style, Rect r);
float cairoTextWidth(cairo_t* cr, const std::string& text, const TextStyle& style);

}  // namespace zorbel
