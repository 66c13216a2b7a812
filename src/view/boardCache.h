// The blackboard drawn once at the framebuffer's pixel size and then laid
// 1:1 each frame: the same pixels at a fraction of the cost on a software
// rasteriser, and only where the last frame drew, since everywhere else the
// pixels already are the board.
#pragma once

#include "platform/gles/gles.h"
#include "view/dirtyBox.h"

namespace zorbel {

// The board's quad over the whole world box, and the texture coordinates
// that lay a whole texture on a quad (the board, a tack).
inline constexpr GLfloat kBoardVertices[8] = {-1.0f, -1.5f, 1.0f, -1.5f, -1.0f, 1.5f, 1.0f, 1.5f};
inline constexpr GLshort kQuadTexCoords[8] = {0, 0, 1, 0, 0, 1, 1, 1};

// The viewport over a width x height framebuffer and the projection of the
// world box (-1..1 across, -1.5..1.5 up) onto it, as every frame draws.
void setWorldProjection(int width, int height);

class BoardCache {
public:
    // On by default; tests compare both ways.
    void setEnabled(bool on);
    bool isEnabled() const { return enabled_; }

    // Draws the board texture into the bound width x height framebuffer as a
    // frame does, and keeps the pixels. Needs textures of any size: without
    // them (or disabled) nothing is kept and each frame draws the board.
    void make(GLuint boardTexture, int width, int height, bool npotTextures);
    void release();
    // The texture is gone with its context: only its name is dropped.
    void forget() { texture_ = 0; }
    bool isReady() const { return texture_ != 0; }

    // Lays the kept board with the frame's board arrays set: inside what the
    // last frame drew, grown by marginPixels, or all of it when that is empty.
    void lay(int width, int height, int marginPixels) const;

    // What the last frame drew on the board, world units, in parts that lie
    // apart (the figure, the info icon, the tack tool): laying the board
    // inside each costs far less than inside the box around them all.
    static constexpr int kParts = 3;
    DirtyBox drawn[kParts];
    bool drewNothing() const;
    void clearDrawn();

private:
    bool enabled_ = true;
    GLuint texture_ = 0;
};

}  // namespace zorbel
