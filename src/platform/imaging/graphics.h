// Drawing in two dimensions: the shapes, gradients, pictures, masks and text
// of the kit's views and of the crop editor's face, behind one interface. It
// has two implementations, chosen by the build: cairo with pango on the
// desktop, Canvas 2D in the browser. Code outside platform/ sees only this.
#pragma once

#include "platform/imaging/image.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zorbel {

struct Point {
    float x = 0, y = 0;
};

struct Rect {
    float x = 0, y = 0, width = 0, height = 0;
    bool contains(Point p) const { return p.x >= x && p.y >= y && p.x < x + width && p.y < y + height; }
};

struct Color {
    float r = 0, g = 0, b = 0, a = 0;  // straight (not premultiplied) alpha
    static Color clear() { return {0, 0, 0, 0}; }
    static Color white() { return {1, 1, 1, 1}; }
    static Color black() { return {0, 0, 0, 1}; }
    static Color darkGray() { return {1.0f / 3, 1.0f / 3, 1.0f / 3, 1}; }
    static Color lightGray() { return {2.0f / 3, 2.0f / 3, 2.0f / 3, 1}; }
};

// An opaque colour from 0xRRGGBB, optionally translucent.
constexpr Color rgb(unsigned hex, float alpha = 1)
{
    return {((hex >> 16) & 0xff) / 255.0f, ((hex >> 8) & 0xff) / 255.0f, (hex & 0xff) / 255.0f, alpha};
}

// What a fill or a stroke lays down: one colour, or a vertical gradient from
// `color` at y0 to `to` at y1 (user space).
struct Paint {
    Color color;
    Color to;
    float y0 = 0, y1 = 0;
    bool gradient = false;
    Paint(Color c) : color(c) {}  // NOLINT: a colour is a paint
    static Paint vertical(Color top, Color bottom, float y0, float y1)
    {
        Paint p(top);
        p.to = bottom;
        p.y0 = y0;
        p.y1 = y1;
        p.gradient = true;
        return p;
    }
};

enum class LineCap { Butt, Round };
enum class LineJoin { Miter, Round };

// The system font ("Sans") at a size in points, upright or italic.
struct Font {
    float size = 17;
    bool italic = false;
    static Font system(float size) { return {size, false}; }
    static Font italicSystem(float size) { return {size, true}; }
};

enum class TextAlignment { Left, Center, Right };

struct TextStyle {
    Font font;
    bool bold = false;
    Color color = Color::black();
    TextAlignment alignment = TextAlignment::Left;
    int lines = 1;          // 0 = as many as fit, wrapped at word boundaries
    float minimumSize = 0;  // > 0: one line too wide shrinks down to this size
};

// An immutable picture: RGBA, premultiplied, rows top first.
using Image = std::shared_ptr<const RGBAImage>;

// An affine map: x' = xx x + xy y + x0, y' = yx x + yy y + y0. Each step
// applies to the points before the steps already set, and is computed as
// cairo computes it, so a map built here equals cairo's to the bit.
struct Affine {
    double xx = 1, yx = 0, xy = 0, yy = 1, x0 = 0, y0 = 0;
    void translate(double tx, double ty);
    void scale(double sx, double sy);
    void rotate(double radians);  // counter-clockwise in a y-up space
};
// `first`, then `then`.
Affine multiply(const Affine& first, const Affine& then);

// Pixels in the form the platform draws: converted once, drawn many times
// (a photo being cropped, a camera's preview).
class Picture {
public:
    virtual ~Picture() = default;
    int width() const { return width_; }
    int height() const { return height_; }

    // From premultiplied RGBA rows `stride` bytes apart; with `opaque` the
    // alpha bytes are ignored. Null (logged) when the size is unusable or
    // the memory cannot be had.
    static std::unique_ptr<Picture> create(const uint8_t* rgba, int width, int height, int stride, bool opaque);
    static std::unique_ptr<Picture> create(const RGBAImage& image);
    // The same into `picture`, reusing its storage when the size and kind
    // stay. False, and `picture` emptied, when the pixels are unusable.
    static bool update(std::unique_ptr<Picture>& picture, const uint8_t* rgba, int width, int height, int stride,
                       bool opaque);

protected:
    Picture(int width, int height) : width_(width), height_(height) {}

private:
    int width_, height_;
};

// Drawing in user space, in points for a view (its own coordinates) and in
// pixels for a bitmap.
class GraphicsContext {
public:
    virtual ~GraphicsContext() = default;

    // The state: the transform and the clip. restore() undoes everything
    // since the matching save().
    virtual void save() = 0;
    virtual void restore() = 0;
    virtual void translate(double dx, double dy) = 0;
    virtual void scale(double sx, double sy) = 0;

    // The current path. fill, stroke and clip use it up unless keepPath.
    virtual void beginPath() = 0;
    virtual void moveTo(float x, float y) = 0;
    virtual void lineTo(float x, float y) = 0;
    // From angle a0 to a1 in radians, clockwise on the screen (0 along +x);
    // a line joins the path's current point to the arc's start.
    virtual void arc(float cx, float cy, float radius, double a0, double a1) = 0;
    virtual void rect(Rect r) = 0;
    // A closed rounded rectangle of its own, the radius at most half the
    // shorter side.
    virtual void roundedRect(Rect r, float radius) = 0;
    virtual void fill(const Paint& paint, bool keepPath = false) = 0;
    virtual void stroke(const Paint& paint, float width, LineCap cap = LineCap::Butt, LineJoin join = LineJoin::Miter,
                        bool keepPath = false) = 0;
    // Narrows the clip to the path.
    virtual void clip() = 0;

    // What is drawn until endLayer goes into a layer of its own, laid down
    // at `alpha` as one picture.
    virtual void beginLayer() = 0;
    virtual void endLayer(float alpha) = 0;

    void fillRect(Rect r, Color c)
    {
        beginPath();
        rect(r);
        fill(c);
    }
    // Everything inside the clip becomes transparent.
    virtual void clear() = 0;

    // The image upright, stretched into r; its edge pixels carry on beyond
    // it, so a scaled picture does not fade at its border.
    virtual void drawImage(const Image& image, Rect r) = 0;
    // The same, shown only where the grey mask (stretched into r) is dark:
    // black shows the image, white hides it.
    virtual void drawImageMasked(const Image& image, const Image& mask, Rect r) = 0;
    // The picture stretched into r as drawImage does, painted over the
    // whole clip (its edges carry on beyond r).
    virtual void paintPicture(const Picture& picture, Rect r) = 0;
    // The picture at its pixel size under `pictureToUser` and then the
    // current transform, sampled bilinearly, nothing beyond its edges. The
    // sampling is exact at the user point `exactAt`. False (nothing drawn)
    // when the map cannot be drawn: not finite, flat, or zoomed past what
    // the renderer can hold.
    virtual bool paintPictureMapped(const Picture& picture, const Affine& pictureToUser, Point exactAt) = 0;

    // `text` (UTF-8) in r, vertically centred: wrapped at word boundaries,
    // and a line too long for r ends in an ellipsis.
    virtual void drawText(const std::string& text, const TextStyle& style, Rect r) = 0;
    // The width of `text` on one line in style's font, in user units.
    virtual float textWidth(const std::string& text, const TextStyle& style) = 0;
};

// A transparent picture of its own to draw on; user space starts as its
// pixels (origin top left).
class BitmapContext {
public:
    virtual ~BitmapContext() = default;
    // Null (logged) when the size is unusable or the memory cannot be had.
    static std::unique_ptr<BitmapContext> create(int width, int height);
    // What draws on the picture.
    virtual GraphicsContext& context() = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // The width x height pixels at (x, y), premultiplied RGBA, rows top first.
    virtual void readPixels(int x, int y, int width, int height, RGBAImage& out) = 0;
};

}  // namespace zorbel
