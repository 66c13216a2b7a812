// The drawing interface over the browser's Canvas 2D.
#pragma once

#include "platform/imaging/graphics.h"

#include <memory>

namespace zorbel {

class CanvasContext : public GraphicsContext {
public:
    // The 2D context of the page's canvas named by a CSS selector; null
    // (logged) when there is none.
    static std::unique_ptr<CanvasContext> forPageCanvas(const char* selector);
    explicit CanvasContext(int handle);  // a canvas of the JavaScript table
    ~CanvasContext() override;
    int handle() const { return handle_; }

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

private:
    int handle_;
};

}  // namespace zorbel
