// The application's single window. It shows the 320 x 480 point screen,
// scaled uniformly to the window (HiDPI aware) with black bars around it,
// and owns the OpenGL ES 1.1 context everything is drawn with.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gles/gles.h"
#include "platform/window/compositor.h"
#include "platform/window/letterbox.h"
#include "platform/window/windowState.h"

struct SDL_Window;

namespace zorbel {

class EAGLContext;
struct RGBAImage;
class EAGLLayer;

class AppWindow {
public:
    AppWindow();
    ~AppWindow();  // closes
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // Opens a resizable window at the largest half-step scale that fits the
    // display (initialWindowScale), makes its GLES 1.1 context current, turns
    // vsync off and holds the screen saver off. False (logged) on
    // failure, with nothing left open.
    bool open(const char* title);
    // Same, with an explicit size in window units.
    bool open(const char* title, int width, int height);
    // Where it was last time, when that place is still on a display; else as open(title).
    bool open(const char* title, const WindowPlacement& last);
    // Its place now (the place it had before going fullscreen, while fullscreen).
    WindowPlacement placement() const;
    // Sets the window's icon from a picture (RGBA premultiplied, rows top first).
    void setIcon(const RGBAImage& icon);
    void close();
    bool isOpen() const;

    // The screen saver is held off while the toy shows, and allowed while the
    // window is hidden or minimised (and after it closes).
    void holdOffScreenSaver(bool hold);

    void toggleFullscreen();  // desktop fullscreen
    void leaveFullscreen();
    bool isFullscreen() const;

    EAGLContext* context() const;
    // The same context for an owner that keeps it (a GL view). Closing the
    // window ends it all the same (EAGLContext::destroy).
    std::shared_ptr<EAGLContext> sharedContext() const { return context_; }
    uint32_t windowID() const;  // of SDL events; 0 when closed

    // Window size in window units (SDL event coordinates) and drawable size in
    // pixels; both 0 x 0 when closed.
    void windowSize(int& width, int& height) const;
    void drawableSize(int& width, int& height) const;

    // The screen's placement in window units.
    Letterbox letterbox() const;
    // Window position (SDL event coordinates) to screen points; see
    // letterboxToPoints: values unclamped, true only on the screen.
    bool windowToPoints(float wx, float wy, float& px, float& py) const;
    // Drawable pixels per point. A GL view renders at
    // round(320 * ppp) x round(480 * ppp) pixels to be shown 1:1.
    float pixelsPerPoint() const;

    // Draws the frame into the window's back buffer: black, the layer's last
    // picture in the screen area, then (if not 0) a premultiplied-alpha
    // overlay over the same area. The overlay's row t = 0 is the top of the
    // screen (an image uploaded top row first) and it spans [0, maxS] x
    // [0, maxT] of its texture. Makes the window's context current and leaves
    // it so; the GL state a scene relies on is put back (see compositor.cpp).
    // `part`: where the overlay's views are (it is clear elsewhere);
    // `overlayChanged`: its texture holds a new picture. Where the back
    // buffer keeps its picture over a swap, only what changed since the last
    // composite is drawn: the same picture at a fraction of the cost.
    void drawComposite(const EAGLLayer& glLayer, GLuint overlayTexture = 0, float overlayMaxS = 1.0f,
                       float overlayMaxT = 1.0f, OverlayPart part = {}, bool overlayChanged = true);
    // The next composite draws all of the window, whatever it kept (after
    // the window was uncovered, say).
    void redrawAll() { shown_.valid = false; }
    // Whether the last composite drew only what changed.
    bool drewChangesOnly() const { return drewChangesOnly_; }
    // Shows the back buffer.
    void swap();
    // drawComposite then swap.
    void composite(const EAGLLayer& glLayer, GLuint overlayTexture = 0, float overlayMaxS = 1.0f,
                   float overlayMaxT = 1.0f, OverlayPart part = {}, bool overlayChanged = true);

    // Reads the back buffer (valid between drawComposite and swap): rows top
    // first, RGBA. For screenshots and tests.
    bool readDrawablePixels(std::vector<uint8_t>& rgba, int& width, int& height);

private:
    bool makeCurrent();
    bool openAt(const char* title, int x, int y, int width, int height);
    bool startVideo();

    // What the back buffer shows, for drawing only what changed.
    struct Shown {
        bool valid = false;
        int width = 0, height = 0;  // the drawable's
        GLuint picture = 0, overlay = 0;
        uint64_t presents = 0;
        OverlayPart part;
        // Composites in a row at this size, up to 2. A new size takes the
        // driver a swap or two to give the back buffer, which starts black.
        int settled = 0;
    };
    // Where the picture in the back buffer differs from the one to draw, in
    // the drawable's pixels: the layer's changed regions and the overlay's
    // part before and now.
    struct Changed {
        static constexpr int kMost = 5;
        PixelRect rects[kMost];
        int count = 0;
        void add(const PixelRect& r);
    };
    // False when all of it differs, or the back buffer may not hold what
    // was drawn (`settled`, from settledAt).
    bool changedParts(int width, int height, const EAGLLayer& glLayer, GLuint overlayTexture, OverlayPart part,
                      bool overlayChanged, int settled, Changed& changed) const;
    // Composites in a row at this size, counting this one; 0 while the
    // window surface is of another size than the window.
    int settledAt(int width, int height) const;

    SDL_Window* window_ = nullptr;
    std::shared_ptr<EAGLContext> context_;
    Shown shown_;
    bool drewChangesOnly_ = false;
    bool videoInitialised_ = false;
    WindowPlacement normalPlacement_;  // before going fullscreen
};

}  // namespace zorbel
