// The desktop shell: one window, one thread, the GL view's frame timer, the
// accelerometer, and the mouse or real fingers as touches.
#pragma once

#include "app/iZorbelAppDelegate.h"
#include "app/boardInput.h"
#include "audio/interruptions.h"
#include "platform/kit/kit.h"
#include "platform/sensors/accelerometer.h"
#include "platform/window/AppWindow.h"
#include "platform/window/RunLoop.h"
#include "ui/clipControl.h"

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zorbel {

class EAGLView;
struct InputEvent;

class DesktopApp {
public:
    // Opens the window, builds the scene and shows its first frame.
    bool start();
    void run() { runLoop.run(); }
    DesktopApp();
    ~DesktopApp();

    // For tests that drive the app through its event queue.
    RunLoop& loop() { return runLoop; }
    EAGLView& glView() { return *view; }
    Screen& screens() { return screen; }
    AppWindow& appWindow() { return window; }

private:
    void handle(const InputEvent& e);
    bool keyDown(const InputEvent& e);  // true when the key was used
    void setVisible(bool visible);
    void layout();
    void composite();
    void uploadScreens();
    void saveScreenshot();
    // The microphone and this computer's sound, and the sound server's
    // comings and goings (appSound.cpp).
    void startListening();
    void sayWhyNothingIsHeard();
    // The desktop menu (appMenu.cpp).
    void toggleMenu();
    // A clip of the board: F9 and the menu start and stop one.
    void toggleClip();
    void recordFrame();

    AppWindow window;
    RunLoop runLoop;
    Screen screen;
    Accelerometer accelerometer;
    std::shared_ptr<EAGLView> view;
    iZorbelAppDelegate delegate;
    BoardInput input;
    AudioInterruptions interruptions;
    int accelerometerTimer = 0;
    bool visible = true;
    uint64_t composited = ~uint64_t(0);
    bool mustComposite = true;
    uint32_t screensTexture = 0;  // the views over the scene, drawn by the kit
    bool screensShown = false;
    OverlayPart screensPart;                     // where the views over the scene are
    std::vector<std::thread> screenshotWriters;  // encode and write off the main thread
    int soundServerTimer = 0;                    // asks now and then whether the sound server is back
    std::thread soundServerProbe;                // asks it off the main thread
    bool probingSoundServer = false;
    ClipControl clips{screen};
    int clipTimer = 0;
    std::vector<uint8_t> clipPicture;  // the board read back for a clip, kept for the next
    // Work handed back to the main thread runs only while the app lives.
    std::shared_ptr<char> alive = std::make_shared<char>();
};

}  // namespace zorbel
