#include "platform/camera/camera.h"

#include "platform/camera/gstreamer.h"

#include "platform/log/log.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace zorbel {

bool startGStreamer()
{
    static const bool started = [] {
        GError* error = nullptr;
        if (gst_init_check(nullptr, nullptr, &error))
            return true;
        logLine("GStreamer cannot start: %s", error ? error->message : "unknown error");
        g_clear_error(&error);
        return false;
    }();
    return started;
}

namespace {

const char kTestVariable[] = "ZORBEL_TEST_CAMERA";
// The longest the main thread waits for the pipeline to start or to stop.
constexpr std::chrono::milliseconds kStateWait{500};
// Asked of the camera first: a preview that keeps up, and enough for a face.
const char kPreferredCaps[] = "video/x-raw,width=640,height=480,framerate=30/1;video/x-raw";

// The first camera the desktop knows of, or null.
GstDevice* firstCamera()
{
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
    GList* devices = gst_device_monitor_get_devices(monitor);  // probes when not started
    GstDevice* first = devices ? GST_DEVICE(gst_object_ref(devices->data)) : nullptr;
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(monitor);
    return first;
}

// The camera's source element (floating), or null with the reason.
GstElement* makeSource(std::string& why)
{
    if (const char* test = std::getenv(kTestVariable)) {
        GError* error = nullptr;
        logLine("Camera: opening the test source %s", test);
        GstElement* bin = gst_parse_bin_from_description(test, TRUE, &error);
        if (error) {
            why = error->message;
            g_clear_error(&error);
            if (bin)
                gst_object_unref(bin);
            return nullptr;
        }
        return bin;
    }
    GstDevice* device = firstCamera();
    if (!device) {
        why = "no camera is connected";
        return nullptr;
    }
    gchar* name = gst_device_get_display_name(device);
    logLine("Camera: opening %s", name);
    g_free(name);
    GstElement* source = gst_device_create_element(device, nullptr);
    gst_object_unref(device);
    if (!source)
        why = "its source element cannot be made";
    return source;
}

}  // namespace

bool cameraAvailable()
{
    if (const char* test = std::getenv(kTestVariable))
        return *test && std::strcmp(test, "none") != 0;
    if (!startGStreamer())
        return false;
    GstDevice* device = firstCamera();
    if (device)
        gst_object_unref(device);
    return device != nullptr;
}

// One opening of the camera. Its thread starts the pipeline, waits for the
// stop and stops it, so the two never cross and the main thread is free to
// give up waiting. GStreamer's callbacks point at it; it outlives the pipeline.
struct Camera::Session {
    GstElement* pipeline = nullptr;  // unreferenced by the thread once stopped
    GstAppSink* sink = nullptr;      // inside the pipeline
    std::thread thread;

    // The picture taken, held and mapped until the next one (main thread only).
    GstSample* sample = nullptr;
    GstVideoFrame mapped{};

    std::atomic<State> state{State::Starting};
    std::atomic<bool> notified{false};  // `changed` called, takeFrame not yet

    std::mutex lock;  // guards what follows
    std::condition_variable wake;
    std::function<void()> changed;
    bool started = false, stopRequested = false, stopped = false;

    bool build(int maxSide, std::string& why);
    void run();
    void releaseSample();

    void notify()
    {
        if (notified.exchange(true))
            return;
        std::lock_guard<std::mutex> guard(lock);
        if (changed)
            changed();
    }

    // A failure or the end of the stream: the first one decides the state.
    void fail(const std::string& what)
    {
        State now = state.load();
        while (now == State::Starting || now == State::Running) {
            const State next = now == State::Running ? State::Disconnected : State::CannotOpen;
            if (state.compare_exchange_weak(now, next)) {
                logLine("Camera: %s", what.c_str());
                notify();
                return;
            }
        }
    }

    static GstFlowReturn onSample(GstAppSink*, gpointer self)
    {
        auto* s = static_cast<Session*>(self);
        State starting = State::Starting;
        s->state.compare_exchange_strong(starting, State::Running);
        s->notify();
        return GST_FLOW_OK;
    }

    static GstBusSyncReply onMessage(GstBus*, GstMessage* message, gpointer self)
    {
        auto* s = static_cast<Session*>(self);
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            s->fail(std::string(GST_MESSAGE_SRC_NAME(message)) + ": " + (error ? error->message : "error"));
            g_clear_error(&error);
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            s->fail("the picture stream ended");
        }
        gst_message_unref(message);  // dropped, so nothing waits on the bus
        return GST_BUS_DROP;
    }
};

// source ! preferred sizes ! videoconvert ! videoscale ! appsink (RGBA)
bool Camera::Session::build(int maxSide, std::string& why)
{
    if (!startGStreamer()) {
        why = "GStreamer cannot start";
        return false;
    }
    GstElement* source = makeSource(why);
    if (!source)
        return false;
    pipeline = gst_pipeline_new("camera");
    GstElement* prefer = gst_element_factory_make("capsfilter", nullptr);
    GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
    GstElement* scale = gst_element_factory_make("videoscale", nullptr);
    GstElement* appsink = gst_element_factory_make("appsink", nullptr);
    for (GstElement* e : {source, prefer, convert, scale, appsink})
        if (e)
            gst_bin_add(GST_BIN(pipeline), e);
    if (!prefer || !convert || !scale || !appsink) {
        why = "GStreamer's base plugins are missing (videoconvert, videoscale, appsink)";
    } else if (!gst_element_link_many(source, prefer, convert, scale, appsink, nullptr)) {
        why = "its pictures cannot be converted";
    } else {
        GstCaps* preferred = gst_caps_from_string(kPreferredCaps);
        g_object_set(prefer, "caps", preferred, nullptr);
        gst_caps_unref(preferred);
        GstCaps* rgba = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGBA", "pixel-aspect-ratio",
                                            GST_TYPE_FRACTION, 1, 1, "width", GST_TYPE_INT_RANGE, 1, maxSide, "height",
                                            GST_TYPE_INT_RANGE, 1, maxSide, nullptr);
        // One picture waits at most; a newer one replaces it.
        g_object_set(appsink, "caps", rgba, "max-buffers", 1u, "drop", TRUE, "enable-last-sample", FALSE, nullptr);
        gst_caps_unref(rgba);
        sink = GST_APP_SINK(appsink);
        GstAppSinkCallbacks callbacks{};
        callbacks.new_sample = onSample;
        gst_app_sink_set_callbacks(sink, &callbacks, this, nullptr);
        GstBus* bus = gst_element_get_bus(pipeline);
        gst_bus_set_sync_handler(bus, onMessage, this, nullptr);
        gst_object_unref(bus);
        return true;
    }
    gst_object_unref(pipeline);
    pipeline = nullptr;
    return false;
}

void Camera::Session::run()
{
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        fail("it does not start");  // the bus has usually said why already
    std::unique_lock<std::mutex> guard(lock);
    started = true;
    wake.notify_all();
    wake.wait(guard, [this] { return stopRequested; });
    guard.unlock();

    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    guard.lock();
    stopped = true;
    wake.notify_all();
}

void Camera::Session::releaseSample()
{
    if (!sample)
        return;
    gst_video_frame_unmap(&mapped);
    gst_sample_unref(sample);
    sample = nullptr;
}

Camera::Camera() = default;

Camera::~Camera()
{
    close();
}

bool Camera::open(int maxSide, std::function<void()> changed)
{
    close();
    session_ = std::make_shared<Session>();
    Session& s = *session_;
    s.changed = std::move(changed);
    std::string why;
    if (!s.build(maxSide, why)) {
        logLine("Camera: %s", why.c_str());
        s.state = State::CannotOpen;
        return false;
    }
    s.thread = std::thread([keep = session_] { keep->run(); });
    std::unique_lock<std::mutex> guard(s.lock);
    s.wake.wait_for(guard, kStateWait, [&s] { return s.started; });
    return s.state != State::CannotOpen;
}

void Camera::close()
{
    if (!session_)
        return;
    const std::shared_ptr<Session> s = std::move(session_);
    frame_ = {};
    s->releaseSample();
    std::unique_lock<std::mutex> guard(s->lock);
    s->changed = nullptr;
    s->stopRequested = true;
    s->wake.notify_all();
    if (!s->thread.joinable())
        return;
    if (!s->wake.wait_for(guard, kStateWait, [&s] { return s->stopped; })) {
        logLine("Camera: slow to stop; it goes on stopping by itself");
        s->thread.detach();
        return;
    }
    guard.unlock();
    s->thread.join();
}

Camera::State Camera::state() const
{
    return session_ ? session_->state.load() : State::Closed;
}

bool Camera::takeFrame()
{
    Session* s = session_.get();
    if (!s || !s->sink)
        return false;
    s->notified = false;  // a picture arriving from now on calls `changed` again
    GstSample* sample = gst_app_sink_try_pull_sample(s->sink, 0);
    if (!sample)
        return false;
    GstVideoInfo info;
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps) ||
        GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_RGBA) {
        gst_sample_unref(sample);
        return false;
    }
    s->releaseSample();
    frame_ = {};
    if (!gst_video_frame_map(&s->mapped, &info, buffer, GST_MAP_READ)) {
        gst_sample_unref(sample);
        return false;
    }
    s->sample = sample;
    frame_.pixels = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&s->mapped, 0));
    frame_.width = GST_VIDEO_FRAME_WIDTH(&s->mapped);
    frame_.height = GST_VIDEO_FRAME_HEIGHT(&s->mapped);
    frame_.stride = GST_VIDEO_FRAME_PLANE_STRIDE(&s->mapped, 0);
    return true;
}

}  // namespace zorbel
