// The part of the board a frame drew on, in world units, so that the next
// frame needs to lay fresh board only there: everywhere else the pixels
// already are the board.
#pragma once

namespace zorbel {

struct DirtyBox {
    float minX = 1e30f;
    float minY = 1e30f;
    float maxX = -1e30f;
    float maxY = -1e30f;

    bool empty() const { return minX > maxX; }
    void clear() { *this = DirtyBox(); }
    void addPoint(float x, float y);
    void addPoints(const float* xy, int count);
    // A square of half-size `half` around (x, y).
    void addSquare(float x, float y, float half);
};

struct ScissorRect {
    int x, y, width, height;  // GL window coordinates: origin bottom left
};

// The box in pixels of a width x height framebuffer showing the world
// (-1..1, -1.5..1.5), grown by `marginPixels` and clamped to the framebuffer.
ScissorRect dirtyPixels(const DirtyBox& box, int width, int height, int marginPixels);

}  // namespace zorbel
