#include "platform/gles/EAGLLayer.h"

#include <cstring>

#include "platform/gles/EAGLContext.h"
#include "platform/log/log.h"

namespace zorbel {

namespace {

// Makes `target` current for the lifetime of the guard, then puts back
// whatever was current before.
class ScopedCurrentContext {
public:
    explicit ScopedCurrentContext(EAGLContext* target) : previous_(EAGLContext::currentContext())
    {
        ok_ = previous_ == target || EAGLContext::setCurrentContext(target);
    }
    ~ScopedCurrentContext()
    {
        if (EAGLContext::currentContext() != previous_)
            EAGLContext::setCurrentContext(previous_);
    }
    ScopedCurrentContext(const ScopedCurrentContext&) = delete;
    ScopedCurrentContext& operator=(const ScopedCurrentContext&) = delete;
    bool ok() const { return ok_; }

private:
    EAGLContext* previous_;
    bool ok_ = false;
};

}  // namespace

EAGLLayer::~EAGLLayer()
{
    releaseTexture();
}

void EAGLLayer::setDrawableSize(int widthPixels, int heightPixels)
{
    if (widthPixels < 0 || heightPixels < 0) {
        logLine("gles: layer: negative drawable size %d x %d taken as 0", widthPixels, heightPixels);
    }
    drawableWidth_ = widthPixels > 0 ? widthPixels : 0;
    drawableHeight_ = heightPixels > 0 ? heightPixels : 0;
}

void EAGLLayer::releaseTexture()
{
    if (texture_ != 0 && !borrowed_) {
        // A texture whose context is gone went with it.
        if (std::shared_ptr<EAGLContext> owner = owner_.lock()) {
            ScopedCurrentContext current(owner.get());
            if (current.ok())
                glDeleteTextures(1, &texture_);
        }
    }
    forgetTexture();
}

void EAGLLayer::forgetTexture()
{
    owner_.reset();
    texture_ = 0;
    borrowed_ = false;
    textureFormat_ = 0;
    textureWidth_ = textureHeight_ = 0;
    pictureWidth_ = pictureHeight_ = 0;
    maxS_ = maxT_ = 1.0f;
}

void EAGLLayer::setNextPresentDamage(const Region* changed, int count)
{
    nextDamageCount_ = 0;
    for (int i = 0; i < count && i < kDamageParts; ++i)
        nextDamage_[nextDamageCount_++] = changed[i];
    if (count > kDamageParts)
        nextDamageCount_ = -1;
}

void EAGLLayer::presented(bool whole)
{
    ++presentCount_;
    if (whole || nextDamageCount_ < 0) {
        damage_[0] = {0, 0, pictureWidth_, pictureHeight_};
        damageCount_ = 1;
    } else {
        for (int i = 0; i < nextDamageCount_; ++i)
            damage_[i] = nextDamage_[i];
        damageCount_ = nextDamageCount_;
    }
    nextDamageCount_ = -1;
}

bool EAGLLayer::readPresentedPixels(std::vector<uint8_t>& rgba, int& width, int& height) const
{
    std::shared_ptr<EAGLContext> owner = owner_.lock();
    if (texture_ == 0 || !owner) {
        logLine("gles: layer: no presented picture to read");
        return false;
    }
    ScopedCurrentContext current(owner.get());
    if (!current.ok())
        return false;  // logged by setCurrentContext

    GLint previousFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &previousFramebuffer);
    GLuint framebuffer = 0;
    glGenFramebuffersOES(1, &framebuffer);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, framebuffer);
    glFramebufferTexture2DOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, texture_, 0);
    bool ok = glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES) == GL_FRAMEBUFFER_COMPLETE_OES;
    if (ok) {
        ok = readPixelsTopRowFirst(pictureWidth_, pictureHeight_, rgba);
        if (ok) {
            width = pictureWidth_;
            height = pictureHeight_;
        }
    }
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, static_cast<GLuint>(previousFramebuffer));
    glDeleteFramebuffersOES(1, &framebuffer);
    if (!ok)
        logLine("gles: layer: reading the presented picture failed");
    return ok;
}

}  // namespace zorbel
