// Audio interruptions on the desktop: the capture device going away begins
// one, a capture device appearing ends it; so does the app coming back to
// the foreground after the system sent it to the background.
#pragma once

#include <cstdint>

namespace zorbel {

struct AudioInterruptions {
    bool inBackground = false;

    // Each calls interruptionListenerCallback as the event means.
    void captureDeviceRemoved(uint32_t device, uint32_t runningDevice);
    void captureDeviceAdded();
    void willEnterBackground();
    void didEnterForeground();
};

}  // namespace zorbel
