#include "platform/window/inputEvent.h"

#include "platform/window/AppWindow.h"

#include <SDL.h>

#include <cmath>

namespace zorbel {

namespace {

void atWindowPosition(const AppWindow* window, float wx, float wy, InputEvent& e)
{
    e.onScreen = window && window->windowToPoints(wx, wy, e.x, e.y);
}

void atFinger(const AppWindow* window, const SDL_TouchFingerEvent& f, InputEvent& e)
{
    int w = 0;
    int h = 0;
    if (window)
        window->windowSize(w, h);
    atWindowPosition(window, f.x * static_cast<float>(w), f.y * static_cast<float>(h), e);
    e.finger = static_cast<int64_t>(f.fingerId);
}

Key keyOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_ESCAPE:
        return Key::Escape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return Key::Return;
    case SDLK_LEFT:
        return Key::Left;
    case SDLK_RIGHT:
        return Key::Right;
    case SDLK_UP:
        return Key::Up;
    case SDLK_DOWN:
        return Key::Down;
    case SDLK_PAGEUP:
        return Key::PageUp;
    case SDLK_PAGEDOWN:
        return Key::PageDown;
    case SDLK_PLUS:
    case SDLK_EQUALS:
    case SDLK_KP_PLUS:
        return Key::Plus;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        return Key::Minus;
    case SDLK_LEFTBRACKET:
        return Key::LeftBracket;
    case SDLK_RIGHTBRACKET:
        return Key::RightBracket;
    case SDLK_t:
        return Key::T;
    case SDLK_q:
        return Key::Q;
    case SDLK_SPACE:
        return Key::Space;
    case SDLK_HOME:
        return Key::Home;
    case SDLK_F10:
        return Key::F10;
    case SDLK_F9:
        return Key::F9;
    case SDLK_F11:
        return Key::F11;
    case SDLK_F12:
        return Key::F12;
    case SDLK_APPLICATION:  // the context-menu key of PC keyboards
    case SDLK_MENU:
        return Key::Menu;
    default:
        return Key::Other;
    }
}

// A wheel of any size, in notches: SDL gives fractions for smooth wheels and
// touchpads; a value that is not finite counts as none.
float wheelSteps(const SDL_MouseWheelEvent& w)
{
    float steps = w.preciseY != 0.0f ? w.preciseY : static_cast<float>(w.y);
    if (w.direction == SDL_MOUSEWHEEL_FLIPPED)
        steps = -steps;
    return std::isfinite(steps) ? steps : 0.0f;
}

}  // namespace

void disableSyntheticTouches()
{
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
}

void dropPendingDeviceArrivals()
{
    SDL_PumpEvents();
    SDL_FlushEvent(SDL_AUDIODEVICEADDED);
}

InputEvent translateEvent(const SDL_Event& ev, const AppWindow* window)
{
    InputEvent e;
    switch (ev.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (ev.button.which == SDL_TOUCH_MOUSEID)
            break;
        if (ev.button.button == SDL_BUTTON_RIGHT && ev.type == SDL_MOUSEBUTTONDOWN) {
            e.type = InputEvent::SecondaryDown;
            atWindowPosition(window, static_cast<float>(ev.button.x), static_cast<float>(ev.button.y), e);
            break;
        }
        if (ev.button.button != SDL_BUTTON_LEFT && ev.button.button != SDL_BUTTON_MIDDLE)
            break;
        e.type = ev.type == SDL_MOUSEBUTTONDOWN ? InputEvent::PointerDown : InputEvent::PointerUp;
        e.middle = ev.button.button == SDL_BUTTON_MIDDLE;
        e.alt = (SDL_GetModState() & KMOD_ALT) != 0;
        e.ctrl = (SDL_GetModState() & KMOD_CTRL) != 0;
        atWindowPosition(window, static_cast<float>(ev.button.x), static_cast<float>(ev.button.y), e);
        break;
    case SDL_MOUSEMOTION:
        if (ev.motion.which == SDL_TOUCH_MOUSEID)
            break;
        e.type = InputEvent::PointerMove;
        atWindowPosition(window, static_cast<float>(ev.motion.x), static_cast<float>(ev.motion.y), e);
        break;
    case SDL_MOUSEWHEEL:
        if (ev.wheel.which == SDL_TOUCH_MOUSEID)
            break;
        e.type = InputEvent::Wheel;
        e.steps = wheelSteps(ev.wheel);
        e.shift = (SDL_GetModState() & KMOD_SHIFT) != 0;
        atWindowPosition(window, static_cast<float>(ev.wheel.mouseX), static_cast<float>(ev.wheel.mouseY), e);
        break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP:
        if (ev.tfinger.touchId == SDL_MOUSE_TOUCHID)
            break;
        e.type = ev.type == SDL_FINGERDOWN ? InputEvent::TouchDown
                 : ev.type == SDL_FINGERUP ? InputEvent::TouchUp
                                           : InputEvent::TouchMove;
        atFinger(window, ev.tfinger, e);
        break;
    case SDL_KEYUP:
        e.type = InputEvent::KeyUp;
        e.key = keyOf(ev.key.keysym.sym);
        break;
    case SDL_KEYDOWN:
        e.type = InputEvent::KeyDown;
        e.key = keyOf(ev.key.keysym.sym);
        e.repeat = ev.key.repeat != 0;
        e.shift = (ev.key.keysym.mod & KMOD_SHIFT) != 0;
        e.ctrl = (ev.key.keysym.mod & KMOD_CTRL) != 0;
        break;
    case SDL_WINDOWEVENT:
        switch (ev.window.event) {
        // Keyboard focus does not matter: a window behind the music player
        // still shows, and runs at full speed.
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN:
            e.type = InputEvent::Hidden;
            break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_EXPOSED:
            e.type = InputEvent::Shown;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            e.type = InputEvent::Resized;
            break;
        default:
            break;
        }
        break;
    case SDL_AUDIODEVICEADDED:
    case SDL_AUDIODEVICEREMOVED:
        if (!ev.adevice.iscapture)
            break;
        e.type = ev.type == SDL_AUDIODEVICEADDED ? InputEvent::CaptureDeviceAdded : InputEvent::CaptureDeviceRemoved;
        e.device = ev.adevice.which;
        break;
    case SDL_APP_WILLENTERBACKGROUND:
        e.type = InputEvent::WillEnterBackground;
        break;
    case SDL_APP_DIDENTERFOREGROUND:
        e.type = InputEvent::DidEnterForeground;
        break;
    case SDL_DROPFILE:
        if (ev.drop.file) {
            e.type = InputEvent::FileDropped;
            e.path = ev.drop.file;
            SDL_free(ev.drop.file);  // ours to free; each event is translated once
        }
        break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
        e.type = ev.type == SDL_CONTROLLERDEVICEADDED ? InputEvent::ControllerAdded : InputEvent::ControllerRemoved;
        e.controller = ev.cdevice.which;
        break;
    case SDL_QUIT:
        e.type = InputEvent::Quit;
        break;
    default:
        break;
    }
    return e;
}

}  // namespace zorbel
