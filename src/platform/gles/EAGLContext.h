// An OpenGL ES 1.1 context. On the desktop it is headless (EGL surfaceless,
// no X server needed) or belongs to an SDL window; in the browser it draws
// into a page's canvas through WebGL, or keeps the state without drawing
// (the headless simulator under node). One context is current per thread,
// set with setCurrentContext.
#pragma once

#include <memory>

struct SDL_Window;

namespace zorbel {

class EAGLLayer;
struct OesFramebufferProcs;

class EAGLContext : public std::enable_shared_from_this<EAGLContext> {
public:
    // Headless context, rendering into framebuffer objects: on Mesa's
    // surfaceless EGL platform on the desktop; in the browser one that keeps
    // the state and draws nothing. nullptr (and one log line) on failure.
    static std::shared_ptr<EAGLContext> createSurfaceless();

#ifdef __EMSCRIPTEN__
    // A WebGL 1 context on the page's canvas named by a CSS selector
    // ("#board"). nullptr (and one log line) when the browser has no WebGL.
    static std::shared_ptr<EAGLContext> createForCanvas(const char* selector);
    // The browser gave the canvas's lost WebGL context back: every GL object
    // of before is gone. The context starts from a fresh state, and the
    // layer forgets its picture; whoever drew makes its objects again.
    void restoredAfterLoss(EAGLLayer& layer);
#else
    // Sets the SDL GL attributes for an OpenGL ES 1.1 window context. Call it
    // before SDL_CreateWindow(..., SDL_WINDOW_OPENGL): SDL picks the GL library
    // when the window is created.
    static void prepareWindowAttributes();

    // Context for a window made after prepareWindowAttributes(). Call destroy()
    // before the window is destroyed. Does not change the current context.
    static std::shared_ptr<EAGLContext> createForWindow(SDL_Window* window);
#endif

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
    // attachment is a renderbuffer) to the layer: on the desktop the first
    // present after the renderbuffer's storage is made copies it into the
    // layer's texture (made anew when the size changes) and then has the
    // framebuffer draw into that texture, so that later presents copy
    // nothing; in the browser the layer shows the renderbuffer's own
    // texture. Keeps the caller's texture, renderbuffer and framebuffer
    // bindings. Counts the present. This context must be current. False
    // (logged) on failure.
    bool presentRenderbuffer(EAGLLayer& layer);

    // True when the driver takes textures of any size (GL_OES_texture_npot).
    bool supportsNpotTextures() const;
    // False for a context that keeps the state and draws nothing.
    bool draws() const;
    // Window of a window context, nullptr for a headless one.
    SDL_Window* window() const;
    // Whether the window's back buffer keeps its picture over a swap (asked
    // of EGL when the context is made), so that a frame may redraw only what
    // changed. False for other contexts, and where ZORBEL_COMPOSITE_WHOLE=1.
    bool keepsBackBuffer() const;
    // The window surface's size in pixels as the driver sees it now (on X11
    // a round trip to the server). While the window is resized it can differ
    // from SDL's size for a frame. False where it cannot be asked.
    bool surfaceSize(int& width, int& height) const;

    struct Impl;  // EGL or SDL handles, driver entry points

private:
    explicit EAGLContext(std::unique_ptr<Impl> impl);
    void adoptTexture(EAGLLayer& layer, unsigned renderbuffer);
    std::unique_ptr<Impl> impl_;
    friend const OesFramebufferProcs& currentOesFramebufferProcs();
};

}  // namespace zorbel
