// An OpenGL ES 1.1 context, either headless (EGL surfaceless, no X server
// needed) or belonging to an SDL window. One context is current per thread,
// set with setCurrentContext.
#pragma once

#include <memory>

struct SDL_Window;

namespace zorbel {

class EAGLLayer;
struct OesFramebufferProcs;

class EAGLContext : public std::enable_shared_from_this<EAGLContext> {
public:
    // Headless context on Mesa's surfaceless EGL platform; render into
    // framebuffer objects. nullptr (and one log line) on failure.
    static std::shared_ptr<EAGLContext> createSurfaceless();

    // Sets the SDL GL attributes for an OpenGL ES 1.1 window context. Call it
    // before SDL_CreateWindow(..., SDL_WINDOW_OPENGL): SDL picks the GL library
    // when the window is created.
    static void prepareWindowAttributes();

    // Context for a window made after prepareWindowAttributes(). Call destroy()
    // before the window is destroyed. Does not change the current context.
    static std::shared_ptr<EAGLContext> createForWindow(SDL_Window* window);

    // Makes `context` current on this thread; nullptr clears. False (logged) if
    // the driver refuses, and then no context is current.
    static bool setCurrentContext(EAGLContext* context);
    static EAGLContext* currentContext();

    ~EAGLContext();
    EAGLContext(const EAGLContext&) = delete;
    EAGLContext& operator=(const EAGLContext&) = delete;

    // Ends the context now, before its last owner lets go (its window is
    // closing): its GL objects are gone and it can no longer be made current.
    void destroy();
    bool isDestroyed() const;

    // Allocates storage for the bound GL_RENDERBUFFER_OES at the layer's
    // drawable size: GL_RGBA8_OES, else GL_RGB565_OES. This context must be
    // current. False (logged) on failure.
    bool renderbufferStorage(EAGLLayer& layer);

    // Hands the picture in the bound framebuffer (an FBO whose colour
    // attachment is a renderbuffer) to the layer: copies it into the layer's
    // texture, made anew when the size changes. Keeps the caller's texture,
    // renderbuffer and framebuffer bindings. Counts the present. This context
    // must be current. False (logged) on failure.
    bool presentRenderbuffer(EAGLLayer& layer);

    // True when the driver takes textures of any size (GL_OES_texture_npot).
    bool supportsNpotTextures() const;
    // Window of a window context, nullptr for a headless one.
    SDL_Window* window() const;

    struct Impl;  // EGL or SDL handles, driver entry points

private:
    explicit EAGLContext(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    friend const OesFramebufferProcs& currentOesFramebufferProcs();
};

}  // namespace zorbel
