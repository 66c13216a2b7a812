// The drawable a GL view renders into: it knows the pixel size it should have
// and keeps the last picture handed to it by EAGLContext::presentRenderbuffer,
// as a texture of the context that presented it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gles/gles.h"

namespace zorbel {

class EAGLContext;

class EAGLLayer {
public:
    EAGLLayer() = default;
    ~EAGLLayer();  // deletes the texture in its context, if that still exists
    EAGLLayer(const EAGLLayer&) = delete;
    EAGLLayer& operator=(const EAGLLayer&) = delete;

    // Pixel size the renderbuffer should get (set by whoever lays out the
    // view). Negative values are logged and taken as 0.
    void setDrawableSize(int widthPixels, int heightPixels);
    int drawableWidth() const { return drawableWidth_; }
    int drawableHeight() const { return drawableHeight_; }

    // The last presented picture: 0 until the first present. Texture row t = 0
    // is the bottom of the picture (GL order). The picture fills
    // [0, presentedMaxS()] x [0, presentedMaxT()] of the texture (below 1 only
    // when the driver needs power-of-two textures).
    GLuint presentedTexture() const { return texture_; }
    int presentedWidth() const { return pictureWidth_; }
    int presentedHeight() const { return pictureHeight_; }
    float presentedMaxS() const { return maxS_; }
    float presentedMaxT() const { return maxT_; }
    uint64_t presentCount() const { return presentCount_; }

    // A part of the picture, in its pixels, origin at the bottom left.
    struct Region {
        int x = 0, y = 0, width = 0, height = 0;
    };
    // What the next present changes in the picture (the scene knows where it
    // drew): up to kDamageParts regions, so that the window redraws only
    // those. Without it, or where the present copies the picture anew, a
    // present changes all of it.
    static constexpr int kDamageParts = 3;
    void setNextPresentDamage(const Region* changed, int count);
    // What the last present changed: presentedDamageCount() regions.
    const Region& presentedDamage(int i) const { return damage_[i]; }
    int presentedDamageCount() const { return damageCount_; }

    // Reads the last presented picture back: rows top first, 4 bytes RGBA per
    // pixel, alpha as rendered (255 for a picture without alpha). Makes the
    // presenting context current for the read and restores the previous one.
    // False (and logged) when nothing was presented or the read fails.
    bool readPresentedPixels(std::vector<uint8_t>& rgba, int& width, int& height) const;

private:
    friend class EAGLContext;
    void releaseTexture();  // deletes it in its own context
    void forgetTexture();   // drops the name and the picture's description
    // Counts a present; `whole`: it copied the picture anew.
    void presented(bool whole);

    int drawableWidth_ = 0;
    int drawableHeight_ = 0;

    std::weak_ptr<EAGLContext> owner_;  // context the texture belongs to
    GLuint texture_ = 0;
    GLenum textureFormat_ = 0;  // GL_RGBA or GL_RGB
    int textureWidth_ = 0;      // allocated size, >= picture size
    int textureHeight_ = 0;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    float maxS_ = 1.0f;
    float maxT_ = 1.0f;
    uint64_t presentCount_ = 0;
    Region damage_[kDamageParts], nextDamage_[kDamageParts];
    int damageCount_ = 0, nextDamageCount_ = -1;  // -1: not told
    bool borrowed_ = false;                       // the texture is a renderbuffer's, not the layer's own
};

}  // namespace zorbel
