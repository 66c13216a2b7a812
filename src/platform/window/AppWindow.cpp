#include "platform/window/AppWindow.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/imaging/image.h"
#include "platform/log/log.h"
#include "platform/window/compositor.h"

namespace zorbel {

AppWindow::AppWindow() = default;

AppWindow::~AppWindow()
{
    close();
}

bool AppWindow::open(const char* title)
{
    if (!isOpen() && !startVideo())
        return false;
    SDL_Rect usable{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
        logLine("window: display size unknown (%s), opening at scale 1", SDL_GetError());
    }
    const float scale = initialWindowScale(usable.w, usable.h);
    return open(title, static_cast<int>(std::lround(kScreenWidth * scale)),
                static_cast<int>(std::lround(kScreenHeight * scale)));
}

// SDL falls back on a video driver without a screen (offscreen, dummy)
// when no display can be reached; a window there is never seen, so that
// counts as no display, unless SDL_VIDEODRIVER asked for that driver.
bool AppWindow::startVideo()
{
    if (videoInitialised_)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        logLine("cannot open a display: %s", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const bool screenless = driver && (!std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy"));
    if (screenless && !(asked && !SDL_strcasecmp(asked, driver))) {
        const char* x = SDL_getenv("DISPLAY");
        const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
        if (x && *x)
            logLine("cannot open a display: the X display \"%s\" cannot be reached", x);
        else if (wayland && *wayland)
            logLine("cannot open a display: the Wayland display \"%s\" cannot be reached", wayland);
        else
            logLine("cannot open a display: neither DISPLAY nor WAYLAND_DISPLAY is set");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    videoInitialised_ = true;
    return true;
}

bool AppWindow::open(const char* title, int width, int height)
{
    return openAt(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height);
}

bool AppWindow::openAt(const char* title, int x, int y, int width, int height)
{
    if (isOpen()) {
        logLine("window: already open");
        return false;
    }
    if (width <= 0 || height <= 0) {
        logLine("window: bad size %d x %d, using the screen's size in points", width, height);
        width = static_cast<int>(kScreenWidth);
        height = static_cast<int>(kScreenHeight);
    }
    if (!startVideo())
        return false;
    EAGLContext::prepareWindowAttributes();
    window_ = SDL_CreateWindow(title ? title : "", x, y, width, height,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window_) {
        logLine("window: cannot open a GL window: %s", SDL_GetError());
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
        logLine("window: cannot turn vsync off: %s", SDL_GetError());
    }
    SDL_SetWindowMinimumSize(window_, static_cast<int>(kScreenWidth / 2), static_cast<int>(kScreenHeight / 2));
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
    if (!startVideo())
        return false;
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
    // The frame's corner, where a new window is put: the window manager
    // places the frame, title bar included, where the window is asked for.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) == 0) {
        p.x -= left;
        p.y -= top;
    }
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
        logLine("window: cannot change fullscreen: %s", SDL_GetError());
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

void AppWindow::Changed::add(const PixelRect& r)
{
    if (r.width <= 0 || r.height <= 0)
        return;
    if (count < kMost) {
        rects[count++] = r;
        return;
    }
    PixelRect& last = rects[kMost - 1];  // no room: grown to hold it
    const int x0 = std::min(last.x, r.x), y0 = std::min(last.y, r.y);
    const int x1 = std::max(last.x + last.width, r.x + r.width), y1 = std::max(last.y + last.height, r.y + r.height);
    last = {x0, y0, x1 - x0, y1 - y0};
}

bool AppWindow::changedParts(int width, int height, const EAGLLayer& glLayer, GLuint overlayTexture, OverlayPart part,
                             bool overlayChanged, int settled, Changed& changed) const
{
    const PixelRect screen = letterboxPixelRect(fitLetterbox(static_cast<float>(width), static_cast<float>(height)));
    const uint64_t presents = glLayer.presentCount();
    // Only a picture shown pixel for pixel, presented at most once since,
    // onto a back buffer that has held this size for two composites.
    if (!context_->keepsBackBuffer() || !shown_.valid || shown_.width != width || shown_.height != height ||
        shown_.settled < 2 || settled == 0 || shown_.picture != glLayer.presentedTexture() ||
        glLayer.presentedWidth() != screen.width || glLayer.presentedHeight() != screen.height ||
        presents < shown_.presents || presents > shown_.presents + 1)
        return false;
    for (int i = 0; presents == shown_.presents + 1 && i < glLayer.presentedDamageCount(); ++i) {
        const EAGLLayer::Region& d = glLayer.presentedDamage(i);  // rows from the bottom
        changed.add({screen.x + d.x, screen.y + screen.height - d.y - d.height, d.width, d.height});
    }
    const bool samePart = part.left == shown_.part.left && part.top == shown_.part.top &&
                          part.right == shown_.part.right && part.bottom == shown_.part.bottom;
    if (overlayChanged || overlayTexture != shown_.overlay || !samePart) {
        if (shown_.overlay)
            changed.add(overlayPixels(width, height, shown_.part));
        if (overlayTexture)
            changed.add(overlayPixels(width, height, part));
    }
    return true;
}

int AppWindow::settledAt(int width, int height) const
{
    // Asked only where a composite may draw less than all (a round trip).
    int surfaceWidth = 0, surfaceHeight = 0;
    if (context_->keepsBackBuffer() && context_->surfaceSize(surfaceWidth, surfaceHeight) &&
        (surfaceWidth != width || surfaceHeight != height))
        return 0;
    if (!shown_.valid || shown_.width != width || shown_.height != height)
        return 1;
    return std::min(shown_.settled + 1, 2);
}

void AppWindow::drawComposite(const EAGLLayer& glLayer, GLuint overlayTexture, float overlayMaxS, float overlayMaxT,
                              OverlayPart part, bool overlayChanged)
{
    if (!makeCurrent())
        return;
    int width = 0, height = 0;
    drawableSize(width, height);
    if (width <= 0 || height <= 0)
        return;  // minimised

    Changed changed;
    const int settled = settledAt(width, height);
    const bool partly = changedParts(width, height, glLayer, overlayTexture, part, overlayChanged, settled, changed);
    shown_ = {true, width, height, glLayer.presentedTexture(), overlayTexture, glLayer.presentCount(), part, settled};
    drewChangesOnly_ = partly;
    if (partly && changed.count == 0)
        return;  // the back buffer shows it already
    compositeScreen(width, height, glLayer, overlayTexture, overlayMaxS, overlayMaxT, part,
                    partly ? changed.rects : nullptr, changed.count);
}

void AppWindow::swap()
{
    if (makeCurrent())
        SDL_GL_SwapWindow(window_);
}

void AppWindow::composite(const EAGLLayer& glLayer, GLuint overlayTexture, float overlayMaxS, float overlayMaxT,
                          OverlayPart part, bool overlayChanged)
{
    drawComposite(glLayer, overlayTexture, overlayMaxS, overlayMaxT, part, overlayChanged);
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
        logLine("window: reading the window's pixels failed");
        return false;
    }
    width = w;
    height = h;
    return true;
}

}  // namespace zorbel
