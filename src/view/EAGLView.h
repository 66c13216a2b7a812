// The one full-screen GL view: it owns the figure, the textures, the face
// buffers and the frame timer, draws the scene once per frame and turns
// touches into the figure's grab points.
#pragma once

#include "platform/gles/gles.h"
#include "platform/kit/kit.h"
#include "view/boardCache.h"
#include "view/touchGrab.h"

#include <functional>
#include <memory>

namespace zorbel {

class EAGLContext;
class EAGLLayer;
class Prefs;
class RunLoop;
struct Guy;

// Frames run only while this is not 0 (the face editor holds them).
extern int glAnimationEnable;

// Texture names; 0 = none.
extern GLuint bbTexture;
extern GLuint chalkTexture;
extern GLuint tackTexture;
extern GLuint faceTexture;

// The photo-face fan: 73 (x, y) points and texture coordinates.
extern float* faceVertices;
extern float* faceTextCoords;
extern int faceVerticesN;
extern Prefs* faceDefaults;

class EAGLView : public View {
public:
    // Builds the view on a rendering context. The order of the steps is
    // fixed: the info icon's first angle and the figure draw from rand() in
    // turn, and the traces pin every draw. runLoop may be null
    // (headless): the frame timer then never fires. nullptr when the context
    // cannot be made current.
    static std::shared_ptr<EAGLView> initWithContext(std::shared_ptr<EAGLContext> context, RunLoop* runLoop);
    ~EAGLView() override;
    EAGLView(const EAGLView&) = delete;
    EAGLView& operator=(const EAGLView&) = delete;

    // The view's bounds in points (320 x 480) and its layer's pixel size.
    float boundsWidth() const { return bounds().width; }
    float boundsHeight() const { return bounds().height; }
    EAGLLayer& layer() { return *layer_; }
    // Framebuffer pixels per point: line widths are given in points, so the
    // chalk looks the same at every window size.
    float pixelsPerPoint() const;

    void layoutSubviews();
    bool createFramebuffer();
    void destroyFramebuffer();
#ifdef __EMSCRIPTEN__
    // The browser gave the lost GL context back: the textures (the photo face
    // too), the framebuffer and the board cache are made again and a frame is
    // drawn. The figure is the same one.
    void graphicsRestored();
#endif

    // The blackboard drawn once at the framebuffer's pixel size and then
    // copied 1:1 each frame: the same pixels at a fraction of the cost on a
    // software rasteriser. On by default; tests compare both ways.
    void setBoardCacheEnabled(bool enabled);

    void startAnimation();
    void stopAnimation();
    void setAnimationInterval(double seconds);
    double getAnimationInterval() const
    {
        return animationInterval;
    }
    bool isAnimating() const
    {
        return animationTimer != 0;
    }

    // One frame.
    void drawView();

    // Touch phases; positions in view points, in the event's own order.
    void touchesBegan(const TouchPoint* touches, int count);
    void touchesMoved(const TouchPoint* touches, int count);
    void touchesEnded(const TouchPoint* touches, int count);

    // The same, as the view tree delivers them (also those passed on by an
    // overlay that does not handle them). Cancelled touches are not handled.
    void touchesBegan(const std::vector<Touch>& touches) override;
    void touchesMoved(const std::vector<Touch>& touches) override;
    void touchesEnded(const std::vector<Touch>& touches) override;
    void touchesCancelled(const std::vector<Touch>&) override {}

    void setAccelX(float x)
    {
        accelX = x;
    }
    void setAccelY(float y)
    {
        accelY = y;
    }
    void setAccelZ(float z)
    {
        accelZ = z;
    }
    float getAccelX() const
    {
        return accelX;
    }
    float getAccelY() const
    {
        return accelY;
    }

    // Opens the overlay from the info corner; runs before the icon flips.
    std::function<void()> infoCornerAction;

    // What the beat detector returned in the last frame that ran.
    float lastBeat() const
    {
        return lastBeat_;
    }
    Guy* figure() const
    {
        return guy;
    }
    // Where he is on the board, strokes and head, in points; empty before
    // his first frame.
    Rect figureBounds() const;
    float infoIconAngle() const
    {
        return angle;
    }

private:
    EAGLView();
    std::vector<TouchPoint> inView(const std::vector<Touch>& touches) const;
    void addFigure(DirtyBox& box, bool photoFace) const;
    void setAnimationTimer(int timer);

    int backingWidth = 0;
    int backingHeight = 0;
    Guy* guy = nullptr;
    float accelX = 0.0f;
    float accelY = 0.0f;
    float accelZ = 0.0f;
    float infoVertices[96] = {};
    float angle = 0.0f;
    float angleV = 0.0f;
    float angleA = 0.0f;
    std::shared_ptr<EAGLContext> context;
    GLuint viewRenderbuffer = 0;
    GLuint viewFramebuffer = 0;
    GLuint depthRenderbuffer = 0;
    int animationTimer = 0;  // run loop timer id; 0 = none
    double animationInterval = 1.0 / 60.0;

    std::unique_ptr<EAGLLayer> layer_;
    RunLoop* runLoop_ = nullptr;
    float lastBeat_ = 0.0f;
    BoardCache boardCache_;
    void eachTouchWhileGrabbing(const TouchPoint* touches, int count, void (*action)(Guy*, float, float));
    void rememberDrawnArea(bool photoFace);
};

}  // namespace zorbel
