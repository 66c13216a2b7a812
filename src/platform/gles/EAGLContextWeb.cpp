// OpenGL ES 1.1 contexts in the browser: WebGL 1 on a page's canvas, or the
// state alone where there is nothing to draw on (node).
#include "platform/gles/EAGLContext.h"

#include "platform/gles/EAGLLayer.h"
#include "platform/gles/gles.h"
#include "platform/gles/glesWeb.h"
#include "platform/log/log.h"

#include <emscripten/html5.h>

namespace zorbel {

namespace {
thread_local EAGLContext* t_current = nullptr;
}  // namespace

struct EAGLContext::Impl {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = 0;  // 0: the state alone
    std::unique_ptr<GlesWebState, void (*)(GlesWebState*)> gles{nullptr, nullptr};
    bool destroyed = false;
};

EAGLContext::EAGLContext(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

EAGLContext::~EAGLContext()
{
    destroy();
}

void EAGLContext::destroy()
{
    if (impl_->destroyed)
        return;
    if (t_current == this)
        setCurrentContext(nullptr);
    impl_->gles.reset();
    if (impl_->webgl)
        emscripten_webgl_destroy_context(impl_->webgl);
    impl_->webgl = 0;
    impl_->destroyed = true;
}

bool EAGLContext::isDestroyed() const
{
    return impl_->destroyed;
}

std::shared_ptr<EAGLContext> EAGLContext::createSurfaceless()
{
    auto impl = std::make_unique<Impl>();
    impl->gles = makeGlesWebState(false);
    return std::shared_ptr<EAGLContext>(new EAGLContext(std::move(impl)));
}

std::shared_ptr<EAGLContext> EAGLContext::createForCanvas(const char* selector)
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    // An opaque picture: the board covers every pixel, and the page behind
    // must not show through.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = emscripten_webgl_create_context(selector, &attributes);
    if (webgl <= 0) {
        logLine("gles: no WebGL on %s (%d)", selector, static_cast<int>(webgl));
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->webgl = webgl;
    impl->gles = makeGlesWebState(true);
    return std::shared_ptr<EAGLContext>(new EAGLContext(std::move(impl)));
}

void EAGLContext::restoredAfterLoss(EAGLLayer& layer)
{
    const bool current = t_current == this;
    impl_->gles = makeGlesWebState(impl_->webgl != 0);
    if (current)
        setCurrentGlesWebState(impl_->gles.get());
    layer.forgetTexture();
}

bool EAGLContext::setCurrentContext(EAGLContext* context)
{
    if (context == t_current)
        return true;
    t_current = nullptr;
    setCurrentGlesWebState(nullptr);
    if (!context)
        return true;
    if (context->impl_->destroyed) {
        logLine("gles: cannot make a destroyed context current");
        return false;
    }
    if (context->impl_->webgl &&
        emscripten_webgl_make_context_current(context->impl_->webgl) != EMSCRIPTEN_RESULT_SUCCESS) {
        logLine("gles: cannot make the WebGL context current");
        return false;
    }
    t_current = context;
    setCurrentGlesWebState(context->impl_->gles.get());
    return true;
}

EAGLContext* EAGLContext::currentContext()
{
    return t_current;
}

bool EAGLContext::supportsNpotTextures() const
{
    return true;
}

bool EAGLContext::draws() const
{
    return impl_->webgl != 0;
}

SDL_Window* EAGLContext::window() const
{
    return nullptr;
}

bool EAGLContext::keepsBackBuffer() const
{
    return false;
}

bool EAGLContext::surfaceSize(int&, int&) const
{
    return false;
}

bool EAGLContext::renderbufferStorage(EAGLLayer& layer)
{
    if (t_current != this) {
        logLine("gles: renderbufferStorage: the context is not current");
        return false;
    }
    GLint renderbuffer = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &renderbuffer);
    const int width = layer.drawableWidth(), height = layer.drawableHeight();
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_OES, &maxSize);
    if (renderbuffer == 0 || width <= 0 || height <= 0 || width > maxSize || height > maxSize) {
        logLine("gles: renderbufferStorage: unusable drawable size %d x %d (max %d)", width, height, maxSize);
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    glRenderbufferStorageOES(GL_RENDERBUFFER_OES, GL_RGBA8_OES, width, height);
    return glGetError() == GL_NO_ERROR;
}

bool EAGLContext::presentRenderbuffer(EAGLLayer& layer)
{
    if (t_current != this) {
        logLine("gles: presentRenderbuffer: the context is not current");
        return false;
    }
    GLint type = 0, renderbuffer = 0;
    glGetFramebufferAttachmentParameterivOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_OES, &type);
    glGetFramebufferAttachmentParameterivOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_OES, &renderbuffer);
    const GLuint texture = glesWebRenderbufferTexture(static_cast<GLuint>(renderbuffer));
    if (type != GL_RENDERBUFFER_OES || texture == 0) {
        logLine("gles: presentRenderbuffer: the colour attachment is not a renderbuffer with storage");
        return false;
    }
    GLint bound = 0, width = 0, height = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &bound);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, static_cast<GLuint>(renderbuffer));
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &width);
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES, &height);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, static_cast<GLuint>(bound));
    if (layer.texture_ != texture)
        layer.releaseTexture();
    layer.texture_ = texture;
    layer.borrowed_ = true;
    layer.owner_ = weak_from_this();
    layer.textureFormat_ = GL_RGBA;
    layer.textureWidth_ = layer.pictureWidth_ = width;
    layer.textureHeight_ = layer.pictureHeight_ = height;
    layer.maxS_ = layer.maxT_ = 1.0f;
    layer.presented(false);
    return true;
}

}  // namespace zorbel
