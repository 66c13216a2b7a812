// Window events translated into the program's own terms, so that code above
// the platform layer never looks inside an SDL event.
#pragma once

#include "platform/kit/keys.h"

#include <cstdint>
#include <string>

union SDL_Event;

namespace zorbel {

class AppWindow;

struct InputEvent {
    enum Type {
        None,
        PointerDown,  // left or middle mouse button: x, y in screen points; alt, ctrl, middle
        PointerMove,  // while any button is held or not: x, y
        PointerUp,
        SecondaryDown,  // right mouse button: x, y
        Wheel,          // x, y of the pointer; steps, shift
        TouchDown,      // a real finger: x, y in screen points, finger
        TouchMove,
        TouchUp,
        TouchCancel,           // the system took a finger away (a browser's gesture, an incoming call)
        KeyDown,               // key, repeat, shift, ctrl
        KeyUp,                 // key
        Hidden,                // the window was minimised or hidden: nothing of it shows
        Shown,                 // it shows again (or was uncovered)
        Resized,               // the drawable size changed
        CaptureDeviceAdded,    // a microphone appeared
        CaptureDeviceRemoved,  // a microphone went away: device
        WillEnterBackground,   // the system is about to suspend the app
        DidEnterForeground,
        FileDropped,        // a file dropped on the window: path
        ControllerAdded,    // a game controller plugged in: controller (its device index)
        ControllerRemoved,  // one unplugged: controller (its instance id)
        GraphicsLost,       // the browser took the page's GL context away (a phone in the background, a GPU reset)
        GraphicsRestored,   // and gave it back: every GL object is to be made again
        Quit,
    };
    Type type = None;
    float x = 0.0f;
    float y = 0.0f;
    bool onScreen = false;  // x, y lie on the 320 x 480 screen, not the bars
    bool alt = false;
    bool middle = false;  // PointerDown, PointerUp: the middle button, not the left
    bool shift = false;
    bool ctrl = false;
    bool repeat = false;
    Key key = Key::Other;
    float steps = 0.0f;  // wheel notches, positive away from the user
    int64_t finger = 0;
    uint32_t device = 0;
    int32_t controller = -1;
    std::string path;
};

// Each SDL event is translated once, by the run loop. Mouse events that SDL
// makes up from touches, and touches made up from the mouse, come out as
// None, so each contact counts once. Positions are the window's screen
// points; without a window they stay 0 and onScreen false.
InputEvent translateEvent(const SDL_Event& event, const AppWindow* window);

// Stops SDL from turning mouse input into touch events.
void disableSyntheticTouches();

// SDL announces every device present when audio starts; those are not
// arrivals. Call once audio has started.
void dropPendingDeviceArrivals();

}  // namespace zorbel
