// The webcam: whether one exists, and its live pictures. Built on GStreamer,
// so V4L2 webcams and cameras the desktop routes through PipeWire are reached
// the same way. The pipeline runs on GStreamer's threads; the main thread
// only takes the newest picture, never waits for one, and waits on a start
// or a stop for a short while at most.
//
// For tests the environment variable ZORBEL_TEST_CAMERA replaces the device:
// "none" (or empty) means no camera; anything else is a GStreamer source
// description that counts as the camera, e.g. "videotestsrc pattern=smpte75".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace zorbel {

// True when a camera exists now (a GStreamer "Video/Source" device). Asks
// the devices each time, which takes a few milliseconds.
bool cameraAvailable();

// One picture: RGBA, opaque, rows top first.
struct CameraFrame {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes from one row to the next
};

class Camera {
public:
    enum class State {
        Closed,
        Starting,      // opened, no picture yet
        Running,       // pictures are coming
        CannotOpen,    // busy, missing, refused every format, or stopped before its first picture
        Disconnected,  // stopped after pictures came (unplugged, or the stream ended)
    };

    Camera();
    ~Camera();  // closes
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // Starts the first camera, with pictures at most maxSide pixels wide and
    // high, nearest 640 x 480 at 30 a second where the camera offers a
    // choice. `changed` runs on a GStreamer thread when a picture arrives or
    // the camera fails; after one call it stays quiet until takeFrame().
    // False when the camera cannot be opened at once (state CannotOpen).
    bool open(int maxSide, std::function<void()> changed);

    // Stops the pipeline and lets go of the device (its light goes off). A
    // device that takes longer than a short while to stop is left to finish
    // on the pipeline's own thread.
    void close();

    State state() const;

    // Takes the newest picture, if one came since the last call, without
    // waiting. It stays valid until the next call that returns true, or close().
    bool takeFrame();
    // The picture last taken (no pixels before the first).
    const CameraFrame& frame() const { return frame_; }

private:
    struct Session;
    std::shared_ptr<Session> session_;
    CameraFrame frame_;
};

}  // namespace zorbel
