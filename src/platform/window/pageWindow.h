// The page the toy shows in, the browser's counterpart of AppWindow: the
// board's canvas (WebGL) letterboxed at 2:3 in the viewport and drawn at the
// device's pixel ratio, a canvas over it for the screens, and the page's
// touches, mouse, wheel, keys, size and visibility as the program's events.
#pragma once

#include "platform/window/inputEvent.h"
#include "platform/window/letterbox.h"

#include <functional>
#include <memory>

namespace zorbel {

class CanvasContext;
class EAGLContext;
class EAGLLayer;
class GraphicsContext;

class PageWindow {
public:
    PageWindow();
    ~PageWindow();
    PageWindow(const PageWindow&) = delete;
    PageWindow& operator=(const PageWindow&) = delete;

    // Makes the WebGL context on the board's canvas, lays the canvases out
    // and starts the page's events. False (logged) without WebGL.
    bool open();

    EAGLContext* context() const { return context_.get(); }
    std::shared_ptr<EAGLContext> sharedContext() const { return context_; }

    // The board's pixels per point (device pixels). A GL view renders at
    // round(320 * ppp) x round(480 * ppp) to be shown 1:1.
    float pixelsPerPoint() const;
    // Fits the canvases to the viewport as it is now; true when the board's
    // pixel size changed.
    bool layout();

    // Draws the layer's last picture onto the board's canvas.
    void composite(const EAGLLayer& layer);
    // Clears the screens' canvas and has `draw` draw on it, its user space
    // the screen's points.
    void drawScreens(const std::function<void(GraphicsContext&)>& draw);
    // The screens' canvas shows only while something is on it.
    void showScreens(bool shown);

    // A screen wake lock while the toy shows, as the phone kept its screen on.
    void holdOffScreenSaver(bool hold);
    void toggleFullscreen();
    void leaveFullscreen();

    // Every page event, translated; set before open().
    std::function<void(const InputEvent&)> onEvent;

    // Page position (CSS pixels from the viewport's top left) to screen
    // points; true when it lies on the screen.
    bool pageToPoints(double x, double y, float& px, float& py) const;
    void emit(const InputEvent& e) const
    {
        if (onEvent)
            onEvent(e);
    }

private:
    void listen();

    std::shared_ptr<EAGLContext> context_;
    std::unique_ptr<CanvasContext> screens_;
    Letterbox box_{0, 0, 0};  // CSS pixels per point, and the board's place in the viewport
    float pixelsPerPoint_ = 1;
    bool screensShown_ = false;
};

}  // namespace zorbel
