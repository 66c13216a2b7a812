// GStreamer for the desktop's camera and clips: started once, on first use.
#pragma once

namespace zorbel {

// Starts GStreamer in this process (once); false, logged once, when it cannot.
bool startGStreamer();

}  // namespace zorbel
