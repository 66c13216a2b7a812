#include "view/EAGLView.h"

#include "audio/audioInMeter.h"
#include "figure/myGuy.h"
#include "numbers/libcRandom.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/log/log.h"
#include "platform/prefs/prefs.h"
#include "platform/window/RunLoop.h"
#include "view/faceTexture.h"
#include "view/boardCache.h"
#include "view/infoIcon.h"
#include "view/textureUpload.h"

#include <cmath>
#include <cstdlib>

namespace zorbel {

int glAnimationEnable = 0;
GLuint bbTexture = 0;
GLuint chalkTexture = 0;
GLuint tackTexture = 0;
GLuint faceTexture = 0;
float* faceVertices = nullptr;
float* faceTextCoords = nullptr;
int faceVerticesN = 0;
Prefs* faceDefaults = nullptr;

namespace {

// Icon colours persist from frame to frame for the whole program.
float iconRGB[3] = {0.0f, 0.0f, 0.0f};
float tackToolRGB[3] = {0.0f, 0.0f, 0.0f};

// Chalk line widths in board points: the body and head outline, and the
// info icon and face features.
const float kBodyLineWidth = 4.0f;
const float kIconLineWidth = 2.0f;

// Where the icons sit on the board, in world units.
const float kInfoIconX = 0.9f, kInfoIconY = -1.4f;
const float kInfoIconHalf = 0.07f;  // half the size of the square it swings in
const float kTackToolX = -0.89f, kTackToolY = -1.39f;
const float kTackHalf = 0.1f;  // a tack picture's half-size
// A tack's picture sits up and to the right of its point, where the pin's tip is.
const float kTackOffsetX = 0.06875f, kTackOffsetY = 0.1f;
const float kPhotoFaceHalf = 0.05f * 4.36f;  // the photo face fan's half-size

const GLfloat tkVertices[8] = {-kTackHalf, -kTackHalf, kTackHalf, -kTackHalf,
                               -kTackHalf, kTackHalf,  kTackHalf, kTackHalf};

// A chalk or plain stroke: the strip doubles as its texture coordinates, so
// the chalk grain stays fixed to the board.
void drawStrip(const float* strip, int count)
{
    glVertexPointer(2, GL_FLOAT, 0, strip);
    glTexCoordPointer(2, GL_FLOAT, 0, strip);
    glDrawArrays(GL_LINE_STRIP, 0, count);
}

}  // namespace

EAGLView::EAGLView() : View(kScreenBounds) {}

std::shared_ptr<EAGLView> EAGLView::initWithContext(std::shared_ptr<EAGLContext> ctx, RunLoop* runLoop)
{
    std::shared_ptr<EAGLView> view(new EAGLView());
    view->layer_.reset(new EAGLLayer());
    view->runLoop_ = runLoop;

    view->context = std::move(ctx);
    if (!view->context || !EAGLContext::setCurrentContext(view->context.get()))
        return nullptr;

    view->animationInterval = 1.0 / 60.0;
    view->depthRenderbuffer = view->viewFramebuffer = view->viewRenderbuffer = 0;

    bbTexture = loadResourceTexture("bb512x512.png");
    chalkTexture = loadResourceTexture("chalk512x512.png");
    tackTexture = loadResourceTexture("thumbTack32.png");

    faceTexture = 0;
    faceDefaults = Prefs::standardUserDefaults();
    loadStoredFace();

    faceVertices = static_cast<float*>(std::malloc(146 * sizeof(float)));
    if (!faceVertices)
        logLine("##### Failed allocating memor for faceVertices !");
    faceTextCoords = static_cast<float*>(std::malloc(146 * sizeof(float)));
    if (!faceTextCoords)
        logLine("##### Failed allocating memor for faceTextCoords !");
    if (faceVertices && faceTextCoords)
        PrepareFaceGLVertexArrays(faceVertices, faceTextCoords, &faceVerticesN);

    glEnable(GL_TEXTURE_2D);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    view->guy = NewGuy(-1.0f, 1.0f, -1.5f, 1.5f);
    if (!view->guy)
        return nullptr;  // the destructor releases what was made

    FillInfoVertices(view->infoVertices);
    view->angle = static_cast<float>(libcRand() % 360 - 180);
    view->angleA = 0.0f;
    view->angleV = 0.0f;
    view->accelX = 0.0f;
    view->accelY = -1.0f;

    initAudioInMeter();
    glAnimationEnable = 1;
    return view;
}

EAGLView::~EAGLView()
{
    stopAnimation();
    stopAudioInMeter(0);
    if (context && EAGLContext::setCurrentContext(context.get())) {
        destroyFramebuffer();
        glDeleteTextures(1, &bbTexture);
        glDeleteTextures(1, &chalkTexture);
        glDeleteTextures(1, &faceTexture);
        glDeleteTextures(1, &tackTexture);
    }
    bbTexture = chalkTexture = faceTexture = tackTexture = 0;
    std::free(faceVertices);
    std::free(faceTextCoords);
    faceVertices = faceTextCoords = nullptr;
    faceVerticesN = 0;
    layer_.reset();  // its texture lives in our context
    if (EAGLContext::currentContext() == context.get())
        EAGLContext::setCurrentContext(nullptr);
    FreeGuy(guy);
    guy = nullptr;
}

void EAGLView::layoutSubviews()
{
    EAGLContext::setCurrentContext(context.get());
    destroyFramebuffer();
    createFramebuffer();
    drawView();
}

bool EAGLView::createFramebuffer()
{
    glGenFramebuffersOES(1, &viewFramebuffer);
    glGenRenderbuffersOES(1, &viewRenderbuffer);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, viewFramebuffer);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, viewRenderbuffer);
    context->renderbufferStorage(*layer_);
    glFramebufferRenderbufferOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, viewRenderbuffer);
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &backingWidth);
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES, &backingHeight);
    if (glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES) != GL_FRAMEBUFFER_COMPLETE_OES) {
        logLine("failed to make complete framebuffer object %x", glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES));
        return false;
    }
    boardCache_.make(bbTexture, backingWidth, backingHeight, context->supportsNpotTextures());
    return true;
}

#ifdef __EMSCRIPTEN__
void EAGLView::graphicsRestored()
{
    context->restoredAfterLoss(*layer_);
    if (!EAGLContext::setCurrentContext(context.get()))
        return;
    // The old names died with the old context: nothing to delete.
    viewFramebuffer = viewRenderbuffer = depthRenderbuffer = 0;
    boardCache_.forget();
    bbTexture = loadResourceTexture("bb512x512.png");
    chalkTexture = loadResourceTexture("chalk512x512.png");
    tackTexture = loadResourceTexture("thumbTack32.png");
    remakeFaceTexture();
    glEnable(GL_TEXTURE_2D);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    createFramebuffer();
    drawView();
}
#endif

float EAGLView::pixelsPerPoint() const
{
    return backingWidth > 0 ? static_cast<float>(backingWidth) / boundsWidth() : 1.0f;
}

void EAGLView::setBoardCacheEnabled(bool enabled)
{
    boardCache_.setEnabled(enabled);
    if (enabled && viewFramebuffer && !boardCache_.isReady())
        boardCache_.make(bbTexture, backingWidth, backingHeight, context->supportsNpotTextures());
}

void EAGLView::destroyFramebuffer()
{
    glDeleteFramebuffersOES(1, &viewFramebuffer);
    viewFramebuffer = 0;
    glDeleteRenderbuffersOES(1, &viewRenderbuffer);
    viewRenderbuffer = 0;
    if (depthRenderbuffer) {
        glDeleteRenderbuffersOES(1, &depthRenderbuffer);
        depthRenderbuffer = 0;
    }
    boardCache_.release();
}

void EAGLView::startAnimation()
{
    int timer = 0;
    if (runLoop_)
        timer = runLoop_->addRepeatingTimer(animationInterval, [this] { drawView(); });
    setAnimationTimer(timer);
}

void EAGLView::stopAnimation()
{
    setAnimationTimer(0);
}

void EAGLView::setAnimationTimer(int timer)
{
    if (animationTimer && runLoop_)
        runLoop_->invalidateTimer(animationTimer);
    animationTimer = timer;
}

void EAGLView::setAnimationInterval(double seconds)
{
    animationInterval = seconds;
    if (animationTimer) {
        stopAnimation();
        startAnimation();
    }
}

void EAGLView::drawView()
{
    if (glAnimationEnable == 0)
        return;

    EAGLContext::setCurrentContext(context.get());
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, viewFramebuffer);
    setWorldProjection(backingWidth, backingHeight);

    glEnableClientState(GL_VERTEX_ARRAY);
    glLineWidth(pixelsPerPoint());
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    // The blackboard fills the view; the frame is never cleared.
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, kBoardVertices);
    glTexCoordPointer(2, GL_SHORT, 0, kQuadTexCoords);
    if (boardCache_.isReady()) {
        boardCache_.lay(backingWidth, backingHeight, static_cast<int>(std::ceil(kBodyLineWidth * pixelsPerPoint())));
    } else {
        glBindTexture(GL_TEXTURE_2D, bbTexture);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }

    guy->gravityX = 100.0f * accelX;
    guy->gravityY = 100.0f * accelY;
    const float beat = getAudioBeat(getAverageAudioPower());
    lastBeat_ = beat;
    IntegratePhysics(guy, 0.025f, beat);
    PrepareBodyGLVertexArrays(guy);

    // Body in chalk.
    glLineWidth(kBodyLineWidth * pixelsPerPoint());
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, chalkTexture);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    drawStrip(guy->legsStrip, guy->legsStripN);
    drawStrip(guy->armsStrip, guy->armsStripN);
    drawStrip(guy->foot1Strip, guy->foot1StripN);
    drawStrip(guy->foot2Strip, guy->foot2StripN);
    drawStrip(guy->hand1Strip, guy->hand1StripN);
    drawStrip(guy->hand2Strip, guy->hand2StripN);

    // The info icon flashes red on a beat and swings towards gravity.
    if (beat == 1.0f) {
        iconRGB[0] = 1.0f;
        iconRGB[1] = 0.0f;
        iconRGB[2] = 0.0f;
    } else {
        FadeIconColour(iconRGB);
    }
    SwingInfoIcon(accelX, accelY, angle, angleV, angleA);

    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4f(iconRGB[0], iconRGB[1], iconRGB[2], 1.0f);
    glLineWidth(kIconLineWidth * pixelsPerPoint());
    glPushMatrix();
    glTranslatef(kInfoIconX, kInfoIconY, 0.0f);
    glRotatef(angle, 0.0f, 0.0f, 1.0f);
    glVertexPointer(2, GL_FLOAT, 0, infoVertices);
    glDrawArrays(GL_LINE_STRIP, 0, 48);
    glPopMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    if (faceTexture != 0 && faceVertices && faceTextCoords) {
        // The photo face, turned so that its top points from the hips to the head.
        const float dx = guy->posX[3] - guy->posX[0];
        const float dy = guy->posY[3] - guy->posY[0];
        const float faceAngle =
            static_cast<float>(atan2(static_cast<double>(dy), static_cast<double>(dx)) * 180.0 / 3.1415 - 90.0);
        glPushMatrix();
        glTranslatef(guy->posX[3], guy->posY[3], 0.0f);
        glRotatef(faceAngle, 0.0f, 0.0f, 1.0f);
        glBindTexture(GL_TEXTURE_2D, faceTexture);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, faceVertices);
        glTexCoordPointer(2, GL_FLOAT, 0, faceTextCoords);
        glDrawArrays(GL_TRIANGLE_FAN, 0, faceVerticesN);
        glPopMatrix();
    } else {
        PrepareHeadGLVertexArrays(guy);
        glBindTexture(GL_TEXTURE_2D, chalkTexture);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glLineWidth(kBodyLineWidth * pixelsPerPoint());
        drawStrip(guy->headStrip, guy->headStripN);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glBindTexture(GL_TEXTURE_2D, 0);
        glLineWidth(kIconLineWidth * pixelsPerPoint());
        drawStrip(guy->eye1Strip, guy->eye1StripN);
        drawStrip(guy->eye2Strip, guy->eye2StripN);
        drawStrip(guy->noseStrip, guy->noseStripN);
        drawStrip(guy->mouthStrip, guy->mouthStripN);
    }

    // The tack tool blinks while some grab point could still be tacked.
    glBindTexture(GL_TEXTURE_2D, tackTexture);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, tkVertices);
    glTexCoordPointer(2, GL_SHORT, 0, kQuadTexCoords);
    if (guy->grabCount > guy->tackCount) {
        if (tackToolRGB[2] >= 0.99f) {
            tackToolRGB[0] = 1.0f;
            tackToolRGB[1] = 0.0f;
            tackToolRGB[2] = 0.0f;
        } else {
            FadeIconColour(tackToolRGB);
        }
        glColor4f(tackToolRGB[0], tackToolRGB[1], tackToolRGB[2], 1.0f);
        glPushMatrix();
        glTranslatef(kTackToolX, kTackToolY, 0.0f);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glPopMatrix();
    }
    if (guy->tackCount > 0) {
        glColor4f(1.0f, 1.0f, 0.0f, 1.0f);
        for (int i = 0; i < guy->grabCount; ++i) {
            if (!guy->grabTacked[i])
                continue;
            glPushMatrix();
            glTranslatef(guy->grabX[i] + kTackOffsetX, guy->grabY[i] + kTackOffsetY, 0.0f);
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
            glPopMatrix();
        }
    }

    // What changed since the last picture: the board laid where the last
    // frame drew, and what this one drew. Without the kept board, all of it.
    const bool laidInParts = boardCache_.isReady() && !boardCache_.drewNothing();
    DirtyBox changed[BoardCache::kParts];
    for (int i = 0; i < BoardCache::kParts; ++i)
        changed[i] = boardCache_.drawn[i];
    rememberDrawnArea(faceTexture != 0 && faceVertices && faceTextCoords);
    if (laidInParts) {
        const int margin = static_cast<int>(std::ceil(kBodyLineWidth * pixelsPerPoint()));
        EAGLLayer::Region regions[BoardCache::kParts];
        int count = 0;
        for (int i = 0; i < BoardCache::kParts; ++i) {
            const DirtyBox& now = boardCache_.drawn[i];
            if (!now.empty()) {  // the part's box before and now
                changed[i].addPoint(now.minX, now.minY);
                changed[i].addPoint(now.maxX, now.maxY);
            }
            const ScissorRect r = dirtyPixels(changed[i], backingWidth, backingHeight, margin);
            if (r.width > 0 && r.height > 0)
                regions[count++] = {r.x, r.y, r.width, r.height};
        }
        layer_->setNextPresentDamage(regions, count);
    }

    glBindRenderbufferOES(GL_RENDERBUFFER_OES, viewRenderbuffer);
    context->presentRenderbuffer(*layer_);
}

// His strokes and head, in world units.
void EAGLView::addFigure(DirtyBox& box, bool photoFace) const
{
    box.addPoints(guy->legsStrip, guy->legsStripN);
    box.addPoints(guy->armsStrip, guy->armsStripN);
    box.addPoints(guy->foot1Strip, guy->foot1StripN);
    box.addPoints(guy->foot2Strip, guy->foot2StripN);
    box.addPoints(guy->hand1Strip, guy->hand1StripN);
    box.addPoints(guy->hand2Strip, guy->hand2StripN);
    if (photoFace)
        box.addSquare(guy->posX[3], guy->posY[3], kPhotoFaceHalf);
    else
        box.addPoints(guy->headStrip, guy->headStripN);  // the features lie inside the outline
}

Rect EAGLView::figureBounds() const
{
    DirtyBox box;
    addFigure(box, faceTexture != 0 && faceVertices && faceTextCoords);
    if (box.empty())
        return {};
    // World units to points: x from -1 to 1 spans the width, y points up.
    const float w = boundsWidth(), h = boundsHeight();
    const float left = (box.minX + 1.0f) * w / 2.0f, right = (box.maxX + 1.0f) * w / 2.0f;
    const float top = h / 2.0f - box.maxY * w / 2.0f, bottom = h / 2.0f - box.minY * w / 2.0f;
    return {left, top, right - left, bottom - top};
}

// Everything this frame drew on the board: strokes, head, icons and tacks.
void EAGLView::rememberDrawnArea(bool photoFace)
{
    boardCache_.clearDrawn();
    DirtyBox& figure = boardCache_.drawn[0];
    addFigure(figure, photoFace);
    for (int i = 0; i < guy->grabCount; ++i) {
        if (guy->grabTacked[i])
            figure.addSquare(guy->grabX[i] + kTackOffsetX, guy->grabY[i] + kTackOffsetY, kTackHalf);
    }
    boardCache_.drawn[1].addSquare(kInfoIconX, kInfoIconY, kInfoIconHalf);
    if (guy->grabCount > guy->tackCount)
        boardCache_.drawn[2].addSquare(kTackToolX, kTackToolY, kTackHalf);
}

void EAGLView::touchesBegan(const TouchPoint* touches, int count)
{
    for (int i = 0; i < count; ++i) {
        const TouchPoint& t = touches[i];
        switch (CornerAt(t.x, t.y, boundsWidth(), boundsHeight())) {
        case TouchCorner::Info:
            if (infoCornerAction)
                infoCornerAction();
            FlipInfoIcon(angle);
            continue;
        case TouchCorner::Tack:
            TackAll(guy);
            continue;
        case TouchCorner::None:
            break;
        }
        float x, y;
        ViewToWorld(t.x, t.y, boundsWidth(), boundsHeight(), x, y);
        GrabBegan(guy, x, y);
    }
}

std::vector<TouchPoint> EAGLView::inView(const std::vector<Touch>& touches) const
{
    std::vector<TouchPoint> points;
    for (const Touch& t : touches) {
        const Point p = t.locationInView(this);
        points.push_back({p.x, p.y});
    }
    return points;
}

void EAGLView::touchesBegan(const std::vector<Touch>& touches)
{
    const auto points = inView(touches);
    touchesBegan(points.data(), static_cast<int>(points.size()));
}

void EAGLView::touchesMoved(const std::vector<Touch>& touches)
{
    const auto points = inView(touches);
    touchesMoved(points.data(), static_cast<int>(points.size()));
}

void EAGLView::touchesEnded(const std::vector<Touch>& touches)
{
    const auto points = inView(touches);
    touchesEnded(points.data(), static_cast<int>(points.size()));
}

void EAGLView::touchesMoved(const TouchPoint* touches, int count)
{
    eachTouchWhileGrabbing(touches, count, GrabMoved);
}

void EAGLView::touchesEnded(const TouchPoint* touches, int count)
{
    eachTouchWhileGrabbing(touches, count, GrabEnded);
}

// Moves and lifts: each touch in turn, until no grab point is left.
void EAGLView::eachTouchWhileGrabbing(const TouchPoint* touches, int count, void (*action)(Guy*, float, float))
{
    for (int i = 0; i < count; ++i) {
        if (guy->grabCount == 0)
            return;
        float x, y;
        ViewToWorld(touches[i].x, touches[i].y, boundsWidth(), boundsHeight(), x, y);
        action(guy, x, y);
    }
}

}  // namespace zorbel
