#include "platform/window/AppWindow.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/imaging/image.h"

namespace zorbel {

namespace {

// GL state the compositor changes, captured before and put back after. The
// scene keeps GL_TEXTURE_2D, GL_BLEND with (SRC_ALPHA, ONE_MINUS_SRC_ALPHA),
// GL_MODULATE and an identity modelview for its whole life and sets the rest
// per frame; everything touched here is restored anyway, so the order of
// drawing and compositing does not matter.
class SavedGLState {
public:
    SavedGLState()
    {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &framebuffer_);
        glGetIntegerv(GL_VIEWPORT, viewport_);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor_);
        glGetBooleanv(GL_COLOR_WRITEMASK, colorMask_);
        glGetFloatv(GL_CURRENT_COLOR, color_);
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode_);
        glGetIntegerv(GL_BLEND_SRC, &blendSrc_);
        glGetIntegerv(GL_BLEND_DST, &blendDst_);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
        glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &clientActiveTexture_);
        glActiveTexture(GL_TEXTURE0);
        glClientActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &texEnvMode_);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer_);
        for (int i = 0; i < kCapabilityCount; ++i)
            enabled_[i] = glIsEnabled(kCapabilities[i]);
        for (int i = 0; i < kArrayCount; ++i)
            arrayEnabled_[i] = glIsEnabled(kArrays[i]);
        saveArray(vertex_, GL_VERTEX_ARRAY_SIZE, GL_VERTEX_ARRAY_TYPE, GL_VERTEX_ARRAY_STRIDE, GL_VERTEX_ARRAY_POINTER,
                  GL_VERTEX_ARRAY_BUFFER_BINDING);
        saveArray(texCoord_, GL_TEXTURE_COORD_ARRAY_SIZE, GL_TEXTURE_COORD_ARRAY_TYPE, GL_TEXTURE_COORD_ARRAY_STRIDE,
                  GL_TEXTURE_COORD_ARRAY_POINTER, GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING);
        for (GLenum mode : {GL_PROJECTION, GL_MODELVIEW, GL_TEXTURE}) {
            glMatrixMode(mode);
            glPushMatrix();
            glLoadIdentity();
        }
    }

    ~SavedGLState()
    {
        for (GLenum mode : {GL_PROJECTION, GL_MODELVIEW, GL_TEXTURE}) {
            glMatrixMode(mode);
            glPopMatrix();
        }
        glMatrixMode(static_cast<GLenum>(matrixMode_));
        // Each array pointer is relative to the buffer bound when it was set.
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(vertex_.buffer));
        glVertexPointer(vertex_.size, static_cast<GLenum>(vertex_.type), vertex_.stride, vertex_.pointer);
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(texCoord_.buffer));
        glTexCoordPointer(texCoord_.size, static_cast<GLenum>(texCoord_.type), texCoord_.stride, texCoord_.pointer);
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer_));
        for (int i = 0; i < kArrayCount; ++i) {
            if (arrayEnabled_[i])
                glEnableClientState(kArrays[i]);
            else
                glDisableClientState(kArrays[i]);
        }
        for (int i = 0; i < kCapabilityCount; ++i) {
            if (enabled_[i])
                glEnable(kCapabilities[i]);
            else
                glDisable(kCapabilities[i]);
        }
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, texEnvMode_);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
        glActiveTexture(static_cast<GLenum>(activeTexture_));
        glClientActiveTexture(static_cast<GLenum>(clientActiveTexture_));
        glBlendFunc(static_cast<GLenum>(blendSrc_), static_cast<GLenum>(blendDst_));
        glColor4f(color_[0], color_[1], color_[2], color_[3]);
        glColorMask(colorMask_[0], colorMask_[1], colorMask_[2], colorMask_[3]);
        glClearColor(clearColor_[0], clearColor_[1], clearColor_[2], clearColor_[3]);
        glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
        glBindFramebufferOES(GL_FRAMEBUFFER_OES, static_cast<GLuint>(framebuffer_));
    }

    SavedGLState(const SavedGLState&) = delete;
    SavedGLState& operator=(const SavedGLState&) = delete;

private:
    struct ArrayPointer {
        GLint size = 4, type = GL_FLOAT, stride = 0, buffer = 0;
        void* pointer = nullptr;
    };
    static void saveArray(ArrayPointer& a, GLenum size, GLenum type, GLenum stride, GLenum pointer, GLenum buffer)
    {
        glGetIntegerv(buffer, &a.buffer);
        glGetIntegerv(size, &a.size);
        glGetIntegerv(type, &a.type);
        glGetIntegerv(stride, &a.stride);
        glGetPointerv(pointer, &a.pointer);
    }

    static constexpr int kCapabilityCount = 12;
    static constexpr GLenum kCapabilities[kCapabilityCount] = {
        GL_TEXTURE_2D, GL_BLEND,        GL_DEPTH_TEST,   GL_CULL_FACE,      GL_ALPHA_TEST,     GL_LIGHTING,
        GL_FOG,        GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_COLOR_LOGIC_OP, GL_COLOR_MATERIAL, GL_DITHER};
    static constexpr int kArrayCount = 4;
    static constexpr GLenum kArrays[kArrayCount] = {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY,
                                                    GL_NORMAL_ARRAY};

    GLint framebuffer_ = 0;
    GLint viewport_[4] = {0, 0, 0, 0};
    GLfloat clearColor_[4] = {0, 0, 0, 0};
    GLboolean colorMask_[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    GLfloat color_[4] = {1, 1, 1, 1};
    GLint matrixMode_ = GL_MODELVIEW;
    GLint blendSrc_ = GL_ONE, blendDst_ = GL_ZERO;
    GLint activeTexture_ = GL_TEXTURE0, clientActiveTexture_ = GL_TEXTURE0;
    GLint texture_ = 0;
    GLint texEnvMode_ = GL_MODULATE;
    GLint arrayBuffer_ = 0;
    GLboolean enabled_[kCapabilityCount] = {};
    GLboolean arrayEnabled_[kArrayCount] = {};
    ArrayPointer vertex_, texCoord_;
};

// One textured quad over a pixel rectangle (y down). `topT` is the texture
// t at the rectangle's top edge, `bottomT` at its bottom.
void drawTexturedRect(const PixelRect& r, GLuint texture, float maxS, float topT, float bottomT)
{
    const GLfloat x0 = static_cast<GLfloat>(r.x), x1 = static_cast<GLfloat>(r.x + r.width);
    const GLfloat y0 = static_cast<GLfloat>(r.y), y1 = static_cast<GLfloat>(r.y + r.height);
    const GLfloat vertices[8] = {x0, y0, x0, y1, x1, y0, x1, y1};
    const GLfloat texCoords[8] = {0.0f, topT, 0.0f, bottomT, maxS, topT, maxS, bottomT};
    glBindTexture(GL_TEXTURE_2D, texture);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

}  // namespace

AppWindow::AppWindow() = default;

AppWindow::~AppWindow()
{
    close();
}

bool AppWindow::open(const char* title)
{
    if (!isOpen() && !videoInitialised_) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "zorbel: window: cannot start SDL video: %s\n", SDL_GetError());
            return false;
        }
        videoInitialised_ = true;
    }
    SDL_Rect usable{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
        std::fprintf(stderr, "zorbel: window: display size unknown (%s), opening at scale 1\n", SDL_GetError());
    }
    const float scale = initialWindowScale(usable.w, usable.h);
    return open(title, static_cast<int>(std::lround(kScreenWidthPoints * scale)),
                static_cast<int>(std::lround(kScreenHeightPoints * scale)));
}

bool AppWindow::open(const char* title, int width, int height)
{
    return openAt(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height);
}

bool AppWindow::openAt(const char* title, int x, int y, int width, int height)
{
    if (isOpen()) {
        std::fprintf(stderr, "zorbel: window: already open\n");
        return false;
    }
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "zorbel: window: bad size %d x %d, using 320 x 480\n", width, height);
        width = 320;
        height = 480;
    }
    if (!videoInitialised_) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "zorbel: window: cannot start SDL video: %s\n", SDL_GetError());
            return false;
        }
        videoInitialised_ = true;
    }
    EAGLContext::prepareWindowAttributes();
    window_ = SDL_CreateWindow(title ? title : "", x, y, width, height,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window_) {
        std::fprintf(stderr, "zorbel: window: cannot open a GL window: %s\n", SDL_GetError());
        close();
        return false;
    }
    context_ = EAGLContext::createForWindow(window_);
    if (!context_ || !EAGLContext::setCurrentContext(context_.get())) {
        close();  // the reason is logged
        return false;
    }
    // Frames are paced by the run loop's clock, not by the display.
    if (SDL_GL_SetSwapInterval(0) != 0) {
        std::fprintf(stderr, "zorbel: window: cannot turn vsync off: %s\n", SDL_GetError());
    }
    SDL_SetWindowMinimumSize(window_, static_cast<int>(kScreenWidthPoints / 2),
                             static_cast<int>(kScreenHeightPoints / 2));
    holdOffScreenSaver(true);
    return true;
}

void AppWindow::holdOffScreenSaver(bool hold)
{
    if (hold)
        SDL_DisableScreenSaver();
    else
        SDL_EnableScreenSaver();
}

void AppWindow::close()
{
    if (context_) {
        // Others (a GL view) may still hold the context: end it while its window
        // exists, so nothing makes it current on a destroyed window later.
        context_->destroy();
        context_.reset();
    }
    if (window_) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
        SDL_EnableScreenSaver();
    }
    if (videoInitialised_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoInitialised_ = false;
    }
}

bool AppWindow::isOpen() const
{
    return window_ != nullptr && context_ != nullptr;
}

bool AppWindow::open(const char* title, const WindowPlacement& last)
{
    if (!last.valid)
        return open(title);
    if (!videoInitialised_) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "zorbel: window: cannot start SDL video: %s\n", SDL_GetError());
            return false;
        }
        videoInitialised_ = true;
    }
    // Only where the window's middle still lies on a display: screens change.
    const SDL_Point middle{last.x + last.width / 2, last.y + last.height / 2};
    bool onDisplay = false;
    for (int i = 0; i < SDL_GetNumVideoDisplays() && !onDisplay; ++i) {
        SDL_Rect bounds;
        onDisplay = SDL_GetDisplayUsableBounds(i, &bounds) == 0 && SDL_PointInRect(&middle, &bounds);
    }
    if (!onDisplay)
        return open(title);
    return openAt(title, last.x, last.y, last.width, last.height);
}

WindowPlacement AppWindow::placement() const
{
    WindowPlacement p;
    if (!window_)
        return p;
    if (isFullscreen()) {
        p = normalPlacement_;
        return p;
    }
    SDL_GetWindowPosition(window_, &p.x, &p.y);
    SDL_GetWindowSize(window_, &p.width, &p.height);
    p.valid = p.width > 0 && p.height > 0;
    return p;
}

void AppWindow::setIcon(const RGBAImage& icon)
{
    if (!window_ || icon.width <= 0 || icon.height <= 0)
        return;
    // SDL wants straight alpha: undo the premultiplication.
    std::vector<uint8_t> straight(icon.pixels);
    for (size_t i = 0; i + 3 < straight.size(); i += 4) {
        const unsigned a = straight[i + 3];
        for (int c = 0; c < 3 && a > 0; ++c)
            straight[i + c] = static_cast<uint8_t>(std::min(255u, (straight[i + c] * 255u + a / 2) / a));
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(straight.data(), icon.width, icon.height, 32,
                                                              icon.width * 4, SDL_PIXELFORMAT_ABGR8888);
    if (surface) {
        SDL_SetWindowIcon(window_, surface);
        SDL_FreeSurface(surface);
    }
}

void AppWindow::toggleFullscreen()
{
    if (window_ && !isFullscreen())
        normalPlacement_ = placement();
    if (!window_)
        return;
    const Uint32 mode = isFullscreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (SDL_SetWindowFullscreen(window_, mode) != 0) {
        std::fprintf(stderr, "zorbel: window: cannot change fullscreen: %s\n", SDL_GetError());
    }
}

void AppWindow::leaveFullscreen()
{
    if (window_ && isFullscreen())
        SDL_SetWindowFullscreen(window_, 0);
}

bool AppWindow::isFullscreen() const
{
    return window_ && (SDL_GetWindowFlags(window_) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP)) != 0;
}

EAGLContext* AppWindow::context() const
{
    return context_.get();
}

SDL_Window* AppWindow::sdlWindow() const
{
    return window_;
}

uint32_t AppWindow::windowID() const
{
    return window_ ? SDL_GetWindowID(window_) : 0;
}

void AppWindow::windowSize(int& width, int& height) const
{
    width = height = 0;
    if (window_)
        SDL_GetWindowSize(window_, &width, &height);
}

void AppWindow::drawableSize(int& width, int& height) const
{
    width = height = 0;
    if (window_)
        SDL_GL_GetDrawableSize(window_, &width, &height);
}

Letterbox AppWindow::letterbox() const
{
    int w = 0, h = 0;
    windowSize(w, h);
    return fitLetterbox(static_cast<float>(w), static_cast<float>(h));
}

bool AppWindow::windowToPoints(float wx, float wy, float& px, float& py) const
{
    return letterboxToPoints(letterbox(), wx, wy, px, py);
}

float AppWindow::pixelsPerPoint() const
{
    int w = 0, h = 0;
    drawableSize(w, h);
    return fitLetterbox(static_cast<float>(w), static_cast<float>(h)).scale;
}

bool AppWindow::makeCurrent()
{
    if (!isOpen())
        return false;
    return EAGLContext::currentContext() == context_.get() || EAGLContext::setCurrentContext(context_.get());
}

void AppWindow::drawComposite(const EAGLLayer& glLayer, GLuint overlayTexture, float overlayMaxS, float overlayMaxT)
{
    if (!makeCurrent())
        return;
    int width = 0, height = 0;
    drawableSize(width, height);
    if (width <= 0 || height <= 0)
        return;  // minimised

    SavedGLState saved;
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, 0);
    glViewport(0, 0, width, height);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_ALPHA_TEST, GL_LIGHTING, GL_FOG, GL_SCISSOR_TEST,
                       GL_STENCIL_TEST, GL_COLOR_LOGIC_OP, GL_COLOR_MATERIAL}) {
        glDisable(cap);
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    // Pixel coordinates, y down.
    glMatrixMode(GL_PROJECTION);
    glOrthof(0.0f, static_cast<GLfloat>(width), static_cast<GLfloat>(height), 0.0f, -1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);

    const PixelRect screen = letterboxPixelRect(fitLetterbox(static_cast<float>(width), static_cast<float>(height)));
    if (glLayer.presentedTexture() != 0) {
        // The picture is opaque; its alpha is not blended. Its row t = 0 is the
        // bottom (GL order).
        glDisable(GL_BLEND);
        // Shown pixel for pixel (the usual case): nearest sampling and no colour
        // modulation give the same bytes at a fraction of the rasteriser's cost.
        const bool oneToOne = screen.width == glLayer.presentedWidth() && screen.height == glLayer.presentedHeight();
        glBindTexture(GL_TEXTURE_2D, glLayer.presentedTexture());
        const GLint filter = oneToOne ? GL_NEAREST : GL_LINEAR;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, oneToOne ? GL_REPLACE : GL_MODULATE);
        drawTexturedRect(screen, glLayer.presentedTexture(), glLayer.presentedMaxS(), glLayer.presentedMaxT(), 0.0f);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    if (overlayTexture != 0) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        drawTexturedRect(screen, overlayTexture, overlayMaxS, 0.0f, overlayMaxT);
    }
}

void AppWindow::swap()
{
    if (makeCurrent())
        SDL_GL_SwapWindow(window_);
}

void AppWindow::composite(const EAGLLayer& glLayer, GLuint overlayTexture, float overlayMaxS, float overlayMaxT)
{
    drawComposite(glLayer, overlayTexture, overlayMaxS, overlayMaxT);
    swap();
}

bool AppWindow::readDrawablePixels(std::vector<uint8_t>& rgba, int& width, int& height)
{
    if (!makeCurrent())
        return false;
    int w = 0, h = 0;
    drawableSize(w, h);
    if (w <= 0 || h <= 0)
        return false;
    GLint previousFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &previousFramebuffer);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, 0);
    const bool ok = readPixelsTopRowFirst(w, h, rgba);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, static_cast<GLuint>(previousFramebuffer));
    if (!ok) {
        std::fprintf(stderr, "zorbel: window: reading the window's pixels failed\n");
        return false;
    }
    width = w;
    height = h;
    return true;
}

}  // namespace zorbel
