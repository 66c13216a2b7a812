// The camera in the browser: getUserMedia's front camera ("user" facing)
// into a video element the page never shows; each new picture is drawn into
// a canvas at the size asked for and its pixels copied over when taken. The
// browser says whether cameras exist without asking the user; the list is
// read when the program starts and again whenever devices come or go.
#include "platform/camera/camera.h"

#include <emscripten/emscripten.h>

#include <map>
#include <vector>

namespace zorbel {

namespace {

// One capture as the page's callbacks reach it.
struct Capture {
    int handle = 0;
    int maxSide = 0;
    bool notified = false;  // `changed` called, takeFrame not yet
    std::function<void()> changed;
    std::vector<uint8_t> pixels;  // the picture taken last, width x height
    int width = 0, height = 0;
};

// Open captures by handle.
std::map<int, Capture*>& sessions()
{
    static std::map<int, Capture*> open;
    return open;
}

// The page's states of a capture, as Camera::State.
Camera::State stateOf(int code)
{
    switch (code) {
    case 0:
        return Camera::State::Starting;
    case 1:
        return Camera::State::Running;
    case 3:
        return Camera::State::Disconnected;
    default:
        return Camera::State::CannotOpen;
    }
}

// clang-format off
// How many cameras the browser knows of: -1 while it has not said.
EM_JS(int, jsCameraCount, (), {
    var cams = Module.zorbelCameras;
    if (!cams) {
        cams = Module.zorbelCameras = { count: -1 };
        var devices = navigator.mediaDevices;
        if (!devices || !devices.enumerateDevices) {
            cams.count = 0;
        } else {
            var ask = function () {
                devices.enumerateDevices().then(function (list) {
                    cams.count = list.filter(function (d) { return d.kind == "videoinput"; }).length;
                }).catch(function () { cams.count = -1; });
            };
            ask();
            devices.addEventListener("devicechange", ask);
        }
    }
    return cams.count;
});

// Starts a capture: state 0 starting, 1 running, 2 cannot open, 3 disconnected.
EM_JS(void, jsCameraOpen, (int handle), {
    var cam = { state: 0, closed: false, fresh: false, stream: null, video: null, canvas: null, timer: 0 };
    Module.zorbelCams = Module.zorbelCams || {};
    Module.zorbelCams[handle] = cam;
    var tell = function () {
        if (!cam.closed)
            _zorbelCameraChanged(handle);
    };
    var fail = function (state, why) {
        if (cam.closed || cam.state >= 2)
            return;
        console.log("Camera: " + why);
        cam.state = state;
        tell();
    };
    var devices = navigator.mediaDevices;
    if (!devices || !devices.getUserMedia)
        return setTimeout(function () { fail(2, "this browser offers no camera"); }, 0);
    devices.getUserMedia({ audio: false, video: { facingMode: "user", width: { ideal: 640 }, height: { ideal: 480 },
                                                  frameRate: { ideal: 30 } } }).then(function (stream) {
        cam.stream = stream;
        if (cam.closed)
            return stream.getTracks().forEach(function (t) { t.stop(); });
        var video = cam.video = document.createElement("video");
        video.muted = true;
        video.playsInline = true;
        video.setAttribute("playsinline", "");
        video.srcObject = stream;
        stream.getVideoTracks().forEach(function (t) {
            t.onended = function () { fail(cam.state == 1 ? 3 : 2, "the camera was disconnected"); };
        });
        var picture = function () {
            if (cam.closed || cam.state >= 2 || video.readyState < 2 || !video.videoWidth)
                return;
            cam.state = 1;
            cam.fresh = true;
            tell();
        };
        if (video.requestVideoFrameCallback) {
            var next = function () {
                picture();
                if (!cam.closed)
                    video.requestVideoFrameCallback(next);
            };
            video.requestVideoFrameCallback(next);
        } else {
            cam.timer = setInterval(picture, 33);
        }
        video.play().catch(function (e) { fail(2, e.message); });
    }).catch(function (e) {
        fail(2, (e && e.name ? e.name + ": " : "") + (e && e.message ? e.message : e));
    });
});

EM_JS(int, jsCameraState, (int handle), {
    var cam = Module.zorbelCams && Module.zorbelCams[handle];
    return cam ? cam.state : 2;
});

// Draws the newest picture at most maxSide pixels on a side and copies its
// pixels over; 0 when no new one came since the last.
EM_JS(int, jsCameraTake, (int handle, int maxSide), {
    var cam = Module.zorbelCams && Module.zorbelCams[handle];
    if (!cam || !cam.fresh || !cam.video)
        return 0;
    cam.fresh = false;
    var vw = cam.video.videoWidth, vh = cam.video.videoHeight;
    var scale = Math.min(1, maxSide / Math.max(vw, vh));
    var w = Math.max(1, Math.round(vw * scale)), h = Math.max(1, Math.round(vh * scale));
    if (!cam.canvas)
        cam.canvas = document.createElement("canvas");
    if (cam.canvas.width != w || cam.canvas.height != h) {
        cam.canvas.width = w;
        cam.canvas.height = h;
        cam.cx = cam.canvas.getContext("2d", { willReadFrequently: true });
    }
    cam.cx.drawImage(cam.video, 0, 0, w, h);
    var data = cam.cx.getImageData(0, 0, w, h).data;
    var at = _zorbelCameraBuffer(handle, w, h);
    if (!at)
        return 0;
    HEAPU8.set(data, at);
    return 1;
});

// Lets go of the camera: its light goes off.
EM_JS(void, jsCameraClose, (int handle), {
    var cam = Module.zorbelCams && Module.zorbelCams[handle];
    if (!cam)
        return;
    delete Module.zorbelCams[handle];
    cam.closed = true;
    if (cam.timer)
        clearInterval(cam.timer);
    if (cam.stream)
        cam.stream.getTracks().forEach(function (t) { t.stop(); });
    if (cam.video)
        cam.video.srcObject = null;
});
// clang-format on

}  // namespace

struct Camera::Session : Capture {};

bool cameraAvailable()
{
    return jsCameraCount() != 0;  // not known yet: the camera screen finds out
}

Camera::Camera() = default;

Camera::~Camera()
{
    close();
}

bool Camera::open(int maxSide, std::function<void()> changed)
{
    close();
    static int lastHandle = 0;
    session_ = std::make_shared<Session>();
    session_->handle = ++lastHandle;
    session_->changed = std::move(changed);
    session_->maxSide = maxSide;
    sessions()[session_->handle] = session_.get();
    jsCameraOpen(session_->handle);
    return true;
}

void Camera::close()
{
    if (!session_)
        return;
    jsCameraClose(session_->handle);
    sessions().erase(session_->handle);
    session_.reset();
    frame_ = {};
}

Camera::State Camera::state() const
{
    return session_ ? stateOf(jsCameraState(session_->handle)) : State::Closed;
}

bool Camera::takeFrame()
{
    if (!session_)
        return false;
    session_->notified = false;  // a picture arriving from now on calls `changed` again
    if (!jsCameraTake(session_->handle, session_->maxSide))
        return false;
    const std::vector<uint8_t>& px = session_->pixels;
    frame_.pixels = px.data();
    frame_.width = session_->width;
    frame_.height = session_->height;
    frame_.stride = session_->width * 4;
    return true;
}

}  // namespace zorbel

// A new picture or a failure: `changed`, once until the next takeFrame.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelCameraChanged(int handle)
{
    auto it = zorbel::sessions().find(handle);
    if (it == zorbel::sessions().end() || it->second->notified)
        return;
    it->second->notified = true;
    if (auto changed = it->second->changed)
        changed();
}

// Room for a picture of width x height, RGBA; null when the session is gone.
extern "C" EMSCRIPTEN_KEEPALIVE uint8_t* zorbelCameraBuffer(int handle, int width, int height)
{
    auto it = zorbel::sessions().find(handle);
    if (it == zorbel::sessions().end() || width <= 0 || height <= 0)
        return nullptr;
    zorbel::Capture& s = *it->second;
    s.pixels.resize(static_cast<size_t>(width) * height * 4);
    s.width = width;
    s.height = height;
    return s.pixels.data();
}
