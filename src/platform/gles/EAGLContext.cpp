#include "platform/gles/EAGLContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gles/EAGLLayer.h"
#include "platform/gles/gles.h"
#include "platform/gles/glesInternal.h"
#include "platform/log/log.h"

namespace zorbel {

namespace {

void* eglProcLoader(const char* name)
{
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}
void* sdlProcLoader(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

// The surfaceless EGL display is shared by all headless contexts and
// terminated when the last one goes.
struct SurfacelessDisplay {
    EGLDisplay display = EGL_NO_DISPLAY;
    int users = 0;
};
SurfacelessDisplay g_surfaceless;

EGLDisplay acquireSurfacelessDisplay()
{
    if (g_surfaceless.users > 0) {
        ++g_surfaceless.users;
        return g_surfaceless.display;
    }
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!extensionListHas(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        logLine("gles: EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)");
        return EGL_NO_DISPLAY;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        logLine("gles: eglGetPlatformDisplayEXT is missing");
        return EGL_NO_DISPLAY;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        logLine("gles: cannot initialise the surfaceless EGL display (0x%x)", eglGetError());
        return EGL_NO_DISPLAY;
    }
    g_surfaceless.display = display;
    g_surfaceless.users = 1;
    return display;
}

void releaseSurfacelessDisplay()
{
    if (g_surfaceless.users <= 0)
        return;
    if (--g_surfaceless.users == 0) {
        eglTerminate(g_surfaceless.display);
        g_surfaceless.display = EGL_NO_DISPLAY;
    }
}

thread_local EAGLContext* t_current = nullptr;

bool isEsCommonProfile1(const char* version)
{
    return version &&
           (std::strncmp(version, "OpenGL ES-CM 1.", 15) == 0 || std::strncmp(version, "OpenGL ES-CL 1.", 15) == 0);
}

}  // namespace

struct EAGLContext::Impl {
    bool headless = true;
    bool destroyed = false;
    // Headless
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext eglContext = EGL_NO_CONTEXT;
    // Window
    SDL_Window* window = nullptr;
    SDL_GLContext sdlContext = nullptr;
    bool keepsBackBuffer = false;
    EGLDisplay windowDisplay = EGL_NO_DISPLAY;  // SDL's, for the window's surface
    EGLSurface windowSurface = EGL_NO_SURFACE;

    // Filled the first time the context is current.
    bool driverQueried = false;
    bool npot = false;
    OesFramebufferProcs procs;

    bool makeCurrent()
    {
        if (headless)
            return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, eglContext) == EGL_TRUE;
        return SDL_GL_MakeCurrent(window, sdlContext) == 0;
    }
    void release()
    {
        if (headless) {
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        } else {
            // Also clears SDL's own idea of the current context, which it checks
            // before making a context current again.
            SDL_GL_MakeCurrent(window, nullptr);
        }
    }
    void queryDriver()
    {
        if (driverQueried)
            return;
        driverQueried = true;
        npot = hasGLExtension("GL_OES_texture_npot");
        // ZORBEL_GLES_NO_NPOT=1 takes the power-of-two path a driver without
        // GL_OES_texture_npot needs, to try it on a driver that has it.
        const char* noNpot = std::getenv("ZORBEL_GLES_NO_NPOT");
        if (noNpot && *noNpot && std::strcmp(noNpot, "0") != 0)
            npot = false;
        if (!hasGLExtension("GL_OES_framebuffer_object")) {
            logLine("gles: the driver lacks GL_OES_framebuffer_object");
        }
        if (!loadOesFramebufferProcs(procs, headless ? eglProcLoader : sdlProcLoader)) {
            logLine("gles: some OES framebuffer object functions are missing");
        }
    }
};

const OesFramebufferProcs& currentOesFramebufferProcs()
{
    if (t_current)
        return t_current->impl_->procs;
    // A context made current outside EAGLContext: the EGL entry points are
    // dispatch stubs that serve whichever context the thread has.
    static const OesFramebufferProcs fallback = [] {
        OesFramebufferProcs procs;
        loadOesFramebufferProcs(procs, eglProcLoader);
        return procs;
    }();
    return fallback;
}

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
    if (impl_->headless) {
        eglDestroyContext(impl_->display, impl_->eglContext);
        releaseSurfacelessDisplay();
        impl_->display = EGL_NO_DISPLAY;
        impl_->eglContext = EGL_NO_CONTEXT;
    } else {
        SDL_GL_DeleteContext(impl_->sdlContext);
        impl_->sdlContext = nullptr;
        impl_->window = nullptr;
    }
    impl_->destroyed = true;
}

bool EAGLContext::isDestroyed() const
{
    return impl_->destroyed;
}

std::shared_ptr<EAGLContext> EAGLContext::createSurfaceless()
{
    EGLDisplay display = acquireSurfacelessDisplay();
    if (display == EGL_NO_DISPLAY)
        return nullptr;  // already logged

    auto fail = [&](const char* what) -> std::shared_ptr<EAGLContext> {
        logLine("gles: headless context: %s (EGL 0x%x)", what, eglGetError());
        releaseSurfacelessDisplay();
        return nullptr;
    };
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!extensionListHas(extensions, "EGL_KHR_surfaceless_context"))
        return fail("no EGL_KHR_surfaceless_context");
    if (!eglBindAPI(EGL_OPENGL_ES_API))
        return fail("cannot bind the OpenGL ES API");

    const EGLint configAttribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1) {
        if (!extensionListHas(extensions, "EGL_KHR_no_config_context"))
            return fail("no OpenGL ES 1 config");
        config = EGL_NO_CONFIG_KHR;
    }
    const EGLint contextAttribs[] = {EGL_CONTEXT_CLIENT_VERSION, 1, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
    if (context == EGL_NO_CONTEXT)
        return fail("cannot create an OpenGL ES 1.1 context");

    auto impl = std::make_unique<Impl>();
    impl->headless = true;
    impl->display = display;
    impl->eglContext = context;
    return std::shared_ptr<EAGLContext>(new EAGLContext(std::move(impl)));
}

void EAGLContext::prepareWindowAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    // The scene renders into its own framebuffer object; the window only
    // shows pictures, so it needs no depth or stencil buffer.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

std::shared_ptr<EAGLContext> EAGLContext::createForWindow(SDL_Window* window)
{
    if (!window) {
        logLine("gles: window context: no window");
        return nullptr;
    }
    if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) {
        logLine("gles: window context: the window was not made with SDL_WINDOW_OPENGL");
        return nullptr;
    }
    EAGLContext* previous = t_current;
    if (previous)
        setCurrentContext(nullptr);

    SDL_GLContext sdlContext = SDL_GL_CreateContext(window);  // becomes current
    if (!sdlContext) {
        logLine("gles: window context: %s", SDL_GetError());
        if (previous)
            setCurrentContext(previous);
        return nullptr;
    }
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const bool es1 = isEsCommonProfile1(version);
    // SDL makes OpenGL ES contexts with EGL where it can: ask it to keep the
    // back buffer's picture over a swap.
    const EGLDisplay display = eglGetCurrentDisplay();
    const EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    const char* whole = std::getenv("ZORBEL_COMPOSITE_WHOLE");
    const bool keeps = !(whole && std::strcmp(whole, "1") == 0) && display != EGL_NO_DISPLAY &&
                       surface != EGL_NO_SURFACE &&
                       eglSurfaceAttrib(display, surface, EGL_SWAP_BEHAVIOR, EGL_BUFFER_PRESERVED) == EGL_TRUE;
    if (!es1) {
        logLine("gles: window context is \"%s\", not OpenGL ES 1.x", version ? version : "(none)");
    }
    SDL_GL_MakeCurrent(window, nullptr);
    if (previous)
        setCurrentContext(previous);
    if (!es1) {
        SDL_GL_DeleteContext(sdlContext);
        return nullptr;
    }

    auto impl = std::make_unique<Impl>();
    impl->headless = false;
    impl->window = window;
    impl->sdlContext = sdlContext;
    impl->keepsBackBuffer = keeps;
    impl->windowDisplay = display;
    impl->windowSurface = surface;
    return std::shared_ptr<EAGLContext>(new EAGLContext(std::move(impl)));
}

bool EAGLContext::setCurrentContext(EAGLContext* context)
{
    if (context == t_current)
        return true;
    if (t_current)
        t_current->impl_->release();
    t_current = nullptr;
    if (!context)
        return true;
    if (context->impl_->destroyed) {
        logLine("gles: cannot make a destroyed context current");
        return false;
    }
    if (!context->impl_->makeCurrent()) {
        logLine("gles: cannot make the context current (%s)", context->impl_->headless ? "EGL" : SDL_GetError());
        return false;
    }
    t_current = context;
    context->impl_->queryDriver();
    return true;
}

EAGLContext* EAGLContext::currentContext()
{
    return t_current;
}

bool EAGLContext::supportsNpotTextures() const
{
    return impl_->npot;
}

bool EAGLContext::draws() const
{
    return true;
}

SDL_Window* EAGLContext::window() const
{
    return impl_->window;
}

bool EAGLContext::keepsBackBuffer() const
{
    return impl_->keepsBackBuffer;
}

bool EAGLContext::surfaceSize(int& width, int& height) const
{
    EGLint w = 0, h = 0;
    if (impl_->destroyed || impl_->windowSurface == EGL_NO_SURFACE ||
        eglQuerySurface(impl_->windowDisplay, impl_->windowSurface, EGL_WIDTH, &w) != EGL_TRUE ||
        eglQuerySurface(impl_->windowDisplay, impl_->windowSurface, EGL_HEIGHT, &h) != EGL_TRUE)
        return false;
    width = w;
    height = h;
    return true;
}

namespace {

void drainGLErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

int nextPowerOfTwo(int v)
{
    int p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

}  // namespace

bool EAGLContext::renderbufferStorage(EAGLLayer& layer)
{
    if (t_current != this) {
        logLine("gles: renderbufferStorage: the context is not current");
        return false;
    }
    GLint renderbuffer = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &renderbuffer);
    if (renderbuffer == 0) {
        logLine("gles: renderbufferStorage: no renderbuffer is bound");
        return false;
    }
    const int width = layer.drawableWidth();
    const int height = layer.drawableHeight();
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_OES, &maxSize);
    if (width <= 0 || height <= 0 || width > maxSize || height > maxSize) {
        logLine("gles: renderbufferStorage: unusable drawable size %d x %d (max %d)", width, height, maxSize);
        return false;
    }
    drainGLErrors();
    // New storage for a renderbuffer whose framebuffer draws into the
    // layer's texture since a present: it draws into the renderbuffer again,
    // until the next present copies it and takes the texture anew.
    auto drawHere = [&] {
        GLint framebuffer = 0, type = 0, name = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &framebuffer);
        if (framebuffer == 0 || layer.texture_ == 0)
            return true;
        glGetFramebufferAttachmentParameterivOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES,
                                                 GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_OES, &type);
        glGetFramebufferAttachmentParameterivOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES,
                                                 GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_OES, &name);
        if (type == GL_TEXTURE && static_cast<GLuint>(name) == layer.texture_)
            glFramebufferRenderbufferOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES,
                                         static_cast<GLuint>(renderbuffer));
        return true;
    };
    if (hasGLExtension("GL_OES_rgb8_rgba8")) {
        glRenderbufferStorageOES(GL_RENDERBUFFER_OES, GL_RGBA8_OES, width, height);
        if (glGetError() == GL_NO_ERROR)
            return drawHere();
    }
    glRenderbufferStorageOES(GL_RENDERBUFFER_OES, GL_RGB565_OES, width, height);
    if (glGetError() == GL_NO_ERROR)
        return drawHere();
    logLine("gles: renderbufferStorage: the driver refused %d x %d", width, height);
    return false;
}

bool EAGLContext::presentRenderbuffer(EAGLLayer& layer)
{
    if (t_current != this) {
        logLine("gles: presentRenderbuffer: the context is not current");
        return false;
    }
    // A texture of another (or a destroyed) context cannot receive the copy.
    if (layer.texture_ && layer.owner_.lock().get() != this)
        layer.releaseTexture();

    GLint framebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &framebuffer);
    if (framebuffer == 0) {
        logLine("gles: presentRenderbuffer: no framebuffer object is bound");
        return false;
    }
    if (glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES) != GL_FRAMEBUFFER_COMPLETE_OES) {
        logLine("gles: presentRenderbuffer: the framebuffer is incomplete");
        return false;
    }
    GLint attachmentType = 0, attachment = 0;
    glGetFramebufferAttachmentParameterivOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_OES, &attachmentType);
    glGetFramebufferAttachmentParameterivOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_OES, &attachment);
    // The framebuffer draws into the layer's texture already (adopted at an
    // earlier present): the picture is there, nothing is copied.
    if (attachmentType == GL_TEXTURE && layer.texture_ != 0 && static_cast<GLuint>(attachment) == layer.texture_) {
        layer.presented(false);
        return true;
    }
    if (attachmentType != GL_RENDERBUFFER_OES || attachment == 0) {
        logLine("gles: presentRenderbuffer: the colour attachment is not a renderbuffer");
        return false;
    }

    // Picture size and whether it has alpha, from the attached renderbuffer.
    GLint boundRenderbuffer = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &boundRenderbuffer);
    if (boundRenderbuffer != attachment)
        glBindRenderbufferOES(GL_RENDERBUFFER_OES, static_cast<GLuint>(attachment));
    GLint width = 0, height = 0, alphaBits = 0;
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &width);
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES, &height);
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_ALPHA_SIZE_OES, &alphaBits);
    if (boundRenderbuffer != attachment)
        glBindRenderbufferOES(GL_RENDERBUFFER_OES, static_cast<GLuint>(boundRenderbuffer));
    if (width <= 0 || height <= 0) {
        logLine("gles: presentRenderbuffer: the renderbuffer has no storage");
        return false;
    }
    const GLenum format = alphaBits > 0 ? GL_RGBA : GL_RGB;

    drainGLErrors();
    GLint boundTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);

    const bool fresh = layer.texture_ == 0;
    if (fresh)
        glGenTextures(1, &layer.texture_);
    glBindTexture(GL_TEXTURE_2D, layer.texture_);
    const bool sameShape =
        !fresh && layer.textureFormat_ == format && layer.pictureWidth_ == width && layer.pictureHeight_ == height;
    if (sameShape) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        if (impl_->npot) {
            glCopyTexImage2D(GL_TEXTURE_2D, 0, format, 0, 0, width, height, 0);
            layer.textureWidth_ = width;
            layer.textureHeight_ = height;
        } else {
            const int potWidth = nextPowerOfTwo(width);
            const int potHeight = nextPowerOfTwo(height);
            glTexImage2D(GL_TEXTURE_2D, 0, format, potWidth, potHeight, 0, format, GL_UNSIGNED_BYTE, nullptr);
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
            layer.textureWidth_ = potWidth;
            layer.textureHeight_ = potHeight;
        }
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));

    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        logLine("gles: presentRenderbuffer: copying %d x %d failed (GL 0x%x)", width, height, error);
        glDeleteTextures(1, &layer.texture_);
        layer.forgetTexture();
        return false;
    }
    layer.owner_ = weak_from_this();
    layer.textureFormat_ = format;
    layer.pictureWidth_ = width;
    layer.pictureHeight_ = height;
    layer.maxS_ = static_cast<float>(width) / static_cast<float>(layer.textureWidth_);
    layer.maxT_ = static_cast<float>(height) / static_cast<float>(layer.textureHeight_);
    layer.presented(true);
    adoptTexture(layer, static_cast<GLuint>(attachment));
    return true;
}

// From now on the framebuffer draws straight into the layer's texture, which
// holds the renderbuffer's picture: later presents copy nothing, and the
// window shows what the scene drew where it drew it. Only where the texture
// is the picture's own size and 8 bits a channel (a 565 renderbuffer stays,
// so that its pixels stay as they were); the renderbuffer is put back if the
// driver cannot draw into the texture.
void EAGLContext::adoptTexture(EAGLLayer& layer, unsigned renderbuffer)
{
    // ZORBEL_PRESENT_BY_COPY=1 keeps the renderbuffer and copies every
    // present, as before: for a driver that draws into textures wrongly, and
    // for comparing the two.
    static const bool byCopy = [] {
        const char* v = std::getenv("ZORBEL_PRESENT_BY_COPY");
        return v && std::strcmp(v, "1") == 0;
    }();
    if (byCopy || layer.textureFormat_ != GL_RGBA || layer.textureWidth_ != layer.pictureWidth_ ||
        layer.textureHeight_ != layer.pictureHeight_)
        return;
    drainGLErrors();
    glFramebufferTexture2DOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, layer.texture_, 0);
    if (glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES) == GL_FRAMEBUFFER_COMPLETE_OES && glGetError() == GL_NO_ERROR)
        return;
    glFramebufferRenderbufferOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, renderbuffer);
    drainGLErrors();
}

}  // namespace zorbel
