// The application delegate: start-up, activity changes and the
// accelerometer feed into the GL view.
#pragma once

#include <functional>

namespace zorbel {

class EAGLView;

class iZorbelAppDelegate {
public:
    EAGLView* glView = nullptr;

    // Starts the accelerometer at the given interval (seconds), delivering
    // readings to accelerometerDidAccelerate. Set by whoever owns the device.
    std::function<void(double interval)> startAccelerometer;

    // Accelerometer at 1/60 s, frame interval 1/60 s, frame timer started.
    void applicationDidFinishLaunching();
    // Frames every 0.2 s while the window is in the background.
    void applicationWillResignActive();
    void applicationDidBecomeActive();

    // One reading in g. A reading with any value that is not a finite float
    // is dropped whole: an infinite one would ruin the figure for good.
    void accelerometerDidAccelerate(double x, double y, double z);
};

}  // namespace zorbel
