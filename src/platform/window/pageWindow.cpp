#include "platform/window/pageWindow.h"

#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/gles/gles.h"
#include "platform/imaging/canvasContext.h"
#include "platform/log/log.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstring>

namespace zorbel {

namespace {

const char kBoard[] = "#board";
const char kScreens[] = "#screens";

// clang-format off
EM_JS(double, jsViewportWidth, (), { return window.innerWidth; });
EM_JS(double, jsViewportHeight, (), { return window.innerHeight; });
EM_JS(double, jsDevicePixelRatio, (), { return window.devicePixelRatio || 1; });

// The safe area's insets (the notch, the rounded corners, the home bar) in
// CSS pixels: top, right, bottom, left.
EM_JS(void, jsSafeAreaInsets, (double* out), {
    const probe = document.getElementById("safe-area");
    const style = probe ? getComputedStyle(probe) : null;
    const sides = ["paddingTop", "paddingRight", "paddingBottom", "paddingLeft"];
    for (let i = 0; i < 4; ++i) {
        const v = style ? parseFloat(style[sides[i]]) : 0;
        HEAPF64[(out >> 3) + i] = v > 0 ? v : 0;
    }
});

// Places both canvases at (x, y), w x h CSS pixels, with pw x ph pixels.
EM_JS(void, jsPlaceCanvases, (double x, double y, double w, double h, int pw, int ph), {
    for (const id of ["board", "screens"]) {
        const c = document.getElementById(id);
        if (!c)
            continue;
        c.style.left = x + "px";
        c.style.top = y + "px";
        c.style.width = w + "px";
        c.style.height = h + "px";
        if (c.width != pw)
            c.width = pw;
        if (c.height != ph)
            c.height = ph;
    }
});

EM_JS(void, jsSetScreensShown, (int shown), {
    const c = document.getElementById("screens");
    if (c)
        c.style.visibility = shown ? "visible" : "hidden";
});

EM_JS(void, jsWakeLock, (int hold), {
    if (!hold) {
        if (Module.wakeLock)
            Module.wakeLock.release().catch(function(){});
        Module.wakeLock = null;
        return;
    }
    if (Module.wakeLock || !navigator.wakeLock)
        return;
    navigator.wakeLock.request("screen")
        .then(function(lock) {
            Module.wakeLock = lock;
            lock.addEventListener("release", function() {
                if (Module.wakeLock === lock)
                    Module.wakeLock = null;
            });
        })
        .catch(function(e) {
            if (!Module.toldWakeLock)
                console.log("window: the screen may dim: " + e.message);
            Module.toldWakeLock = true;
        });
});

// Touches on the board, taken by listeners that may cancel them (a
// document's touch listeners are passive by default in most browsers, and
// then neither scrolling, zooming nor the mouse events made up from a touch
// can be stopped where touch-action is not honoured). Each finger that
// changed goes to the program; the event is the board's alone.
EM_JS(void, jsListenForTouches, (PageWindow* window), {
    const board = document.getElementById("board");
    if (!board)
        return;
    const types = { touchstart: 0, touchmove: 1, touchend: 2, touchcancel: 3 };
    const listener = function(e) {
        for (let i = 0; i < e.changedTouches.length; ++i) {
            const t = e.changedTouches[i];
            _zorbelTouch(window, types[e.type], t.identifier, t.clientX, t.clientY);
        }
        if (e.cancelable)
            e.preventDefault();
    };
    for (const type in types)
        board.addEventListener(type, listener, { passive: false });
});

// The board's WebGL context lost and given back. Its loss is prevented from
// being final (the default), so that the browser restores it.
EM_JS(void, jsListenForContextLoss, (PageWindow* window), {
    const board = document.getElementById("board");
    if (!board)
        return;
    board.addEventListener("webglcontextlost", function(e) {
        e.preventDefault();
        _zorbelGraphics(window, 0);
    });
    board.addEventListener("webglcontextrestored", function() { _zorbelGraphics(window, 1); });
});

EM_JS(void, jsFullscreen, (int toggle), {
    const on = !!document.fullscreenElement;
    if (on)
        document.exitFullscreen().catch(function(){});
    else if (toggle && document.documentElement.requestFullscreen)
        document.documentElement.requestFullscreen().catch(function(){});
});
// clang-format on

Key keyFrom(const EmscriptenKeyboardEvent& e)
{
    struct Name {
        const char* key;
        Key value;
    };
    static const Name names[] = {
        {"Escape", Key::Escape},
        {"Enter", Key::Return},
        {"ArrowLeft", Key::Left},
        {"ArrowRight", Key::Right},
        {"ArrowUp", Key::Up},
        {"ArrowDown", Key::Down},
        {"PageUp", Key::PageUp},
        {"PageDown", Key::PageDown},
        {"+", Key::Plus},
        {"=", Key::Plus},
        {"-", Key::Minus},
        {"[", Key::LeftBracket},
        {"]", Key::RightBracket},
        {"t", Key::T},
        {"T", Key::T},
        {"q", Key::Q},
        {"Q", Key::Q},
        {" ", Key::Space},
        {"Home", Key::Home},
        {"F9", Key::F9},
        {"F10", Key::F10},
        {"F11", Key::F11},
        {"F12", Key::F12},
        {"ContextMenu", Key::Menu},
    };
    for (const Name& n : names)
        if (std::strcmp(e.key, n.key) == 0)
            return n.value;
    return Key::Other;
}

EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* e, void* self)
{
    InputEvent ev;
    ev.type = type == EMSCRIPTEN_EVENT_KEYDOWN ? InputEvent::KeyDown : InputEvent::KeyUp;
    ev.key = keyFrom(*e);
    if (ev.key == Key::Other)
        return EM_FALSE;
    ev.repeat = e->repeat;
    ev.shift = e->shiftKey;
    ev.ctrl = e->ctrlKey;
    ev.alt = e->altKey;
    static_cast<PageWindow*>(self)->emit(ev);
    // Keys that would scroll the page are the board's.
    switch (ev.key) {
    case Key::Left:
    case Key::Right:
    case Key::Up:
    case Key::Down:
    case Key::Space:
    case Key::PageUp:
    case Key::PageDown:
    case Key::Home:
    case Key::F10:
    case Key::Menu:
        return EM_TRUE;
    default:
        return EM_FALSE;
    }
}

EM_BOOL onMouse(int type, const EmscriptenMouseEvent* e, void* self)
{
    auto* window = static_cast<PageWindow*>(self);
    InputEvent ev;
    ev.onScreen = window->pageToPoints(e->clientX, e->clientY, ev.x, ev.y);
    ev.alt = e->altKey;
    ev.shift = e->shiftKey;
    ev.ctrl = e->ctrlKey;
    switch (type) {
    case EMSCRIPTEN_EVENT_MOUSEDOWN:
        if (e->button == 0 || e->button == 1)
            ev.type = InputEvent::PointerDown;
        else if (e->button == 2)
            ev.type = InputEvent::SecondaryDown;
        ev.middle = e->button == 1;
        break;
    case EMSCRIPTEN_EVENT_MOUSEUP:
        if (e->button == 0 || e->button == 1)
            ev.type = InputEvent::PointerUp;
        ev.middle = e->button == 1;
        break;
    case EMSCRIPTEN_EVENT_MOUSEMOVE:
        ev.type = InputEvent::PointerMove;
        break;
    default:
        break;
    }
    if (ev.type == InputEvent::None)
        return EM_FALSE;
    window->emit(ev);
    return ev.onScreen && type == EMSCRIPTEN_EVENT_MOUSEDOWN;  // no text selection from a drag on the board
}

EM_BOOL onWheel(int, const EmscriptenWheelEvent* e, void* self)
{
    auto* window = static_cast<PageWindow*>(self);
    InputEvent ev;
    ev.type = InputEvent::Wheel;
    ev.onScreen = window->pageToPoints(e->mouse.clientX, e->mouse.clientY, ev.x, ev.y);
    ev.shift = e->mouse.shiftKey;
    // Notches, positive away from the user: a notch is 100 pixels or 3 lines.
    const double perNotch = e->deltaMode == DOM_DELTA_PIXEL ? 100.0 : e->deltaMode == DOM_DELTA_LINE ? 3.0 : 1.0;
    const double delta = e->deltaY != 0 ? e->deltaY : e->deltaX;
    ev.steps = static_cast<float>(-delta / perNotch);
    if (!ev.onScreen)
        return EM_FALSE;
    window->emit(ev);
    return EM_TRUE;
}

EM_BOOL onResize(int, const EmscriptenUiEvent*, void* self)
{
    InputEvent ev;
    ev.type = InputEvent::Resized;
    static_cast<PageWindow*>(self)->emit(ev);
    return EM_FALSE;
}

EM_BOOL onOrientation(int, const EmscriptenOrientationChangeEvent*, void* self)
{
    return onResize(0, nullptr, self);
}

EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* e, void* self)
{
    InputEvent ev;
    ev.type = e->hidden ? InputEvent::Hidden : InputEvent::Shown;
    static_cast<PageWindow*>(self)->emit(ev);
    return EM_FALSE;
}

}  // namespace

PageWindow::PageWindow() = default;

PageWindow::~PageWindow()
{
    holdOffScreenSaver(false);
    if (context_)
        context_->destroy();
}

bool PageWindow::open()
{
    context_ = EAGLContext::createForCanvas(kBoard);
    if (!context_)
        return false;
    layout();
    screens_ = CanvasContext::forPageCanvas(kScreens);
    listen();
    return true;
}

void PageWindow::listen()
{
    const char* doc = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    const char* win = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(win, this, EM_TRUE, onKey);
    emscripten_set_keyup_callback(win, this, EM_TRUE, onKey);
    emscripten_set_mousedown_callback(doc, this, EM_TRUE, onMouse);
    emscripten_set_mouseup_callback(doc, this, EM_TRUE, onMouse);
    emscripten_set_mousemove_callback(doc, this, EM_TRUE, onMouse);
    emscripten_set_wheel_callback(doc, this, EM_FALSE, onWheel);
    jsListenForTouches(this);
    jsListenForContextLoss(this);
    emscripten_set_resize_callback(win, this, EM_FALSE, onResize);
    emscripten_set_orientationchange_callback(this, EM_FALSE, onOrientation);
    emscripten_set_visibilitychange_callback(this, EM_FALSE, onVisibility);
}

float PageWindow::pixelsPerPoint() const
{
    return pixelsPerPoint_;
}

bool PageWindow::layout()
{
    // The board is letterboxed inside the safe area: nothing of it lies
    // under the notch or the home bar.
    double insets[4];
    jsSafeAreaInsets(insets);
    Letterbox box = fitLetterbox(static_cast<float>(jsViewportWidth() - insets[1] - insets[3]),
                                 static_cast<float>(jsViewportHeight() - insets[0] - insets[2]));
    box.offsetX += static_cast<float>(insets[3]);
    box.offsetY += static_cast<float>(insets[0]);
    const float ratio = static_cast<float>(jsDevicePixelRatio());
    const float ppp = box.scale > 0 ? box.scale * ratio : 1.0f;
    const int pixelWidth = static_cast<int>(std::lround(kScreenWidth * ppp));
    const int pixelHeight = static_cast<int>(std::lround(kScreenHeight * ppp));
    // Shown one device pixel for one, not resampled: the canvases' corner on
    // a device pixel and their CSS size their pixels' size.
    if (box.scale > 0) {
        box.offsetX = std::round(box.offsetX * ratio) / ratio;
        box.offsetY = std::round(box.offsetY * ratio) / ratio;
    }
    jsPlaceCanvases(box.offsetX, box.offsetY, box.scale > 0 ? pixelWidth / ratio : 0,
                    box.scale > 0 ? pixelHeight / ratio : 0, pixelWidth, pixelHeight);
    const bool changed = ppp != pixelsPerPoint_;
    box_ = box;
    pixelsPerPoint_ = ppp;
    return changed;
}

bool PageWindow::pageToPoints(double x, double y, float& px, float& py) const
{
    return letterboxToPoints(box_, static_cast<float>(x), static_cast<float>(y), px, py);
}

void PageWindow::composite(const EAGLLayer& layer)
{
    if (!layer.presentedTexture() || !EAGLContext::setCurrentContext(context_.get()))
        return;
    const GLfloat corners[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
    const GLfloat s = layer.presentedMaxS(), t = layer.presentedMaxT();
    const GLfloat texCoords[8] = {0, 0, s, 0, 0, t, s, t};
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, 0);
    glViewport(0, 0, layer.presentedWidth(), layer.presentedHeight());
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, layer.presentedTexture());
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, corners);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    // What the scene relies on from frame to frame.
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void PageWindow::drawScreens(const std::function<void(GraphicsContext&)>& draw)
{
    if (!screens_)
        return;
    screens_->clear();
    screens_->save();
    screens_->scale(pixelsPerPoint_, pixelsPerPoint_);
    draw(*screens_);
    screens_->restore();
}

void PageWindow::showScreens(bool shown)
{
    if (shown == screensShown_)
        return;
    screensShown_ = shown;
    jsSetScreensShown(shown);
}

void PageWindow::holdOffScreenSaver(bool hold)
{
    jsWakeLock(hold);
}

void PageWindow::toggleFullscreen()
{
    jsFullscreen(1);
}

void PageWindow::leaveFullscreen()
{
    jsFullscreen(0);
}

}  // namespace zorbel

// A finger that changed, from the board's touch listeners: type 0 began, 1
// moved, 2 ended, 3 cancelled; the position in CSS pixels from the viewport.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelTouch(zorbel::PageWindow* window, int type, int finger, double x, double y)
{
    using zorbel::InputEvent;
    InputEvent ev;
    ev.type = type == 0   ? InputEvent::TouchDown
              : type == 1 ? InputEvent::TouchMove
              : type == 2 ? InputEvent::TouchUp
                          : InputEvent::TouchCancel;
    ev.onScreen = window->pageToPoints(x, y, ev.x, ev.y);
    ev.finger = finger;
    window->emit(ev);
}

// The board's GL context: 0 lost, 1 given back.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelGraphics(zorbel::PageWindow* window, int restored)
{
    zorbel::InputEvent ev;
    ev.type = restored ? zorbel::InputEvent::GraphicsRestored : zorbel::InputEvent::GraphicsLost;
    window->emit(ev);
}
