// The browser shell: the page's canvases and events, the GL view's frame
// timer on the page's frames, devicemotion as the accelerometer, and
// touches, the mouse and the keys as on the desktop.
#pragma once

#include "app/boardInput.h"
#include "app/iZorbelAppDelegate.h"
#include "audio/interruptions.h"
#include "platform/audio/webAudioInput.h"
#include "platform/kit/kit.h"
#include "platform/sensors/accelerometer.h"
#include "platform/window/RunLoop.h"
#include "platform/window/pageWindow.h"
#include "ui/clipControl.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zorbel {

class EAGLView;

class WebApp {
public:
    WebApp();
    ~WebApp();
    // Builds the scene on the page and starts its frames. False (logged)
    // when the page cannot show it (no WebGL).
    bool start();
    // Builds the scene and runs a zorbel-sim script on it instead of the
    // page's frames and events, as the headless simulator would; the last
    // frame stays on the board and the page gets the trace. False (logged)
    // on a bad script or without WebGL.
    bool runScript(const std::string& text);
    uint64_t framesDrawn() const;
    // The files of earlier visits came after the start: the stored face is
    // put on his head, unless one was made since.
    void storedFilesArrived();

private:
    void handle(const InputEvent& e);
    void gesture();
    void microphoneTrouble(MicrophoneTrouble trouble);
    void setVisible(bool visible);
    void layout();
    void composite();

    PageWindow window;
    RunLoop runLoop;
    Screen screen;
    Accelerometer accelerometer;
    std::shared_ptr<EAGLView> view;
    iZorbelAppDelegate delegate;
    BoardInput input;
    int accelerometerTimer = 0;
    bool visible = true;
    bool gestured = false;
    bool graphicsLost = false;
    ClipControl clips{screen};
    int clipTimer = 0;
    AudioInterruptions interruptions;  // the page hidden and shown again
    MicrophoneTrouble micTold = MicrophoneTrouble::None;
    bool micLost = false;     // none was found, or it went away: the next gesture looks again
    bool micRetried = false;  // that look is under way
    bool micRefused = false;
    uint64_t composited = ~uint64_t(0);
    double compositedAt = 0;  // ms, emscripten_get_now()
};

}  // namespace zorbel
