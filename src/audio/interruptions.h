// Audio interruptions on the desktop: the capture device going away begins
// one, a capture device appearing ends it; the sound server going away
// begins one, and its return ends it; so does the app coming back to the
// foreground after the system sent it to the background.
#pragma once

#include <cstdint>

namespace zorbel {

struct AudioInterruptions {
    bool inBackground = false;

    // Each calls interruptionListenerCallback as the event means.
    void captureDeviceRemoved(uint32_t device, uint32_t runningDevice);
    void captureDeviceAdded();  // only while listening to the microphone
    // The server went away under the computer's-sound capture `capture`
    // (an id of the platform's); only the running one counts.
    void soundServerGone(uint32_t capture, uint32_t runningCapture);
    // True while the computer's sound is chosen and listening is on but not
    // running: then it is worth asking now and then whether a server is back.
    bool awaitingSoundServer() const;
    void soundServerBack();
    void willEnterBackground();
    void didEnterForeground();
};

}  // namespace zorbel
