// Clips on the desktop, through GStreamer: the board's pictures go into an
// appsrc, the sound he listens to comes from the sound server (or silence),
// and both are encoded, VP8 and Opus, into a WebM file in the Videos folder.
// The pictures are taken into buffers of a pool and pushed without waiting;
// a leaky queue in front of the encoder drops the oldest when it lags, so
// recording never holds the toy's frames back. The file is written under a
// temporary name and takes its own only once it is whole.
#include "platform/clip/clipRecorder.h"

#include "platform/camera/gstreamer.h"
#include "platform/files/files.h"
#include "platform/log/log.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <glib/gstdio.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zorbel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFramesPerSecond = 30;
constexpr int kWidest = 1080;  // pixels across, at most

// Replaces the sound's source (a GStreamer description) in tests.
const char kTestSound[] = "ZORBEL_TEST_CLIP_SOUND";

// What the pipeline needs that may be missing, and the package that has it.
const char* const kNeeded[][2] = {
    {"appsrc", "gstreamer1.0-plugins-base"},        {"videoconvert", "gstreamer1.0-plugins-base"},
    {"videoscale", "gstreamer1.0-plugins-base"},    {"audioconvert", "gstreamer1.0-plugins-base"},
    {"audioresample", "gstreamer1.0-plugins-base"}, {"opusenc", "gstreamer1.0-plugins-base"},
    {"vp8enc", "gstreamer1.0-plugins-good"},        {"webmmux", "gstreamer1.0-plugins-good"},
};

std::string soundSource(ClipSound sound)
{
    if (const char* test = std::getenv(kTestSound))
        return test;
    switch (sound) {
    case ClipSound::Microphone:
        return "pulsesrc device=@DEFAULT_SOURCE@";
    case ClipSound::Computer:
        return "pulsesrc device=@DEFAULT_MONITOR@";
    case ClipSound::Silence:
        break;
    }
    return "audiotestsrc wave=silence is-live=true";
}

// A path from the home folder as "~/...".
std::string homeShortened(const std::string& path)
{
    const std::string home = g_get_home_dir();
    return path.rfind(home + "/", 0) == 0 ? "~" + path.substr(home.size()) : path;
}

// Videos/Zorbel, made when missing.
std::string clipFolder()
{
    const std::string dir = videosDir() + "/Zorbel";
    g_mkdir_with_parents(dir.c_str(), 0755);
    return dir;
}

}  // namespace

struct ClipRecorder::Impl {
    GstElement* pipeline = nullptr;
    GstElement* source = nullptr;  // the appsrc
    GstBufferPool* pool = nullptr;
    int width = 0, height = 0;  // of the pictures handed in
    std::string file, part;     // the clip's name, and its name while written
    Clock::time_point started;
    long framesDue = 0;  // pictures asked for so far
    long framesLeftOut = 0;
    bool stopping = false;
    bool silentFallback = false;  // the sound source could not be had: silent
    std::string trouble;
    bool diskFull = false;

    ~Impl() { close(); }

    void close()
    {
        if (pipeline) {
            gst_element_set_state(pipeline, GST_STATE_NULL);
            gst_object_unref(pipeline);
        }
        if (source)
            gst_object_unref(source);
        if (pool) {
            gst_buffer_pool_set_active(pool, FALSE);
            gst_object_unref(pool);
        }
        pipeline = source = nullptr;
        pool = nullptr;
    }
};

ClipRecorder::ClipRecorder() = default;

ClipRecorder::~ClipRecorder()
{
    if (!recording())
        return;
    stop();
    // Waits, a little, for the file to be whole.
    for (int i = 0; i < 100 && impl_ && impl_->pipeline; ++i) {
        g_usleep(20000);
        poll();
    }
}

bool ClipRecorder::available(std::string& why)
{
    if (!startGStreamer()) {
        why = "Clips cannot be made here: GStreamer does not start.";
        return false;
    }
    for (const auto& need : kNeeded) {
        GstElementFactory* factory = gst_element_factory_find(need[0]);
        if (!factory) {
            why = std::string("Clips cannot be made here: GStreamer has no ") + need[0] + " (install " + need[1] + ").";
            return false;
        }
        gst_object_unref(factory);
    }
    return true;
}

bool ClipRecorder::start(int width, int height, ClipSound sound, std::string& error)
{
    if (recording()) {
        error = "a clip is being recorded already";
        return false;
    }
    if (!available(error))
        return false;
    if (width <= 0 || height <= 0) {
        error = "the board has no size";
        return false;
    }
    auto impl = std::make_unique<Impl>();
    impl->width = width;
    impl->height = height;
    const int encodedWidth = std::min(width, kWidest) & ~1;
    const int encodedHeight = static_cast<int>(static_cast<long long>(height) * encodedWidth / width) & ~1;
    impl->file = clipFolder() + "/" + clipFileName(std::time(nullptr), ".webm");
    impl->part = impl->file + ".part";

    char video[1024];
    std::snprintf(video, sizeof video,
                  "appsrc name=pictures is-live=true format=time do-timestamp=true "
                  "caps=video/x-raw,format=RGBA,width=%d,height=%d,framerate=%d/1 "
                  "! queue leaky=downstream max-size-buffers=4 max-size-bytes=0 max-size-time=0 "
                  "! videoconvert ! videoscale ! video/x-raw,format=I420,width=%d,height=%d "
                  // One thread: vp8enc's second spends more than it saves.
                  "! vp8enc deadline=1 cpu-used=16 threads=1 static-threshold=500 "
                  "target-bitrate=%d keyframe-max-dist=%d "
                  "! queue ! webmmux name=mux ! filesink name=file",
                  width, height, kFramesPerSecond, encodedWidth, encodedHeight,
                  std::max(500000, encodedWidth * encodedHeight * 4), 2 * kFramesPerSecond);
    const std::string audio = " ! queue leaky=downstream max-size-buffers=0 max-size-bytes=0 max-size-time=2000000000"
                              " ! audioconvert ! audioresample ! audio/x-raw,rate=48000,channels=2"
                              " ! opusenc bitrate=96000 ! queue ! mux.";
    // The sound server may not answer (no PulseAudio or PipeWire): then the
    // clip is silent, and says so.
    GstElement* pipeline = nullptr;
    for (const bool silent : {false, true}) {
        const std::string description =
            std::string(video) + " " + (silent ? soundSource(ClipSound::Silence) : soundSource(sound)) + audio;
        GError* parseError = nullptr;
        pipeline = gst_parse_launch(description.c_str(), &parseError);
        if (parseError) {
            logLine("clip: the pipeline cannot be made: %s", parseError->message);
            g_clear_error(&parseError);
            if (pipeline)
                gst_object_unref(pipeline);
            pipeline = nullptr;
            continue;
        }
        GstElement* file = gst_bin_get_by_name(GST_BIN(pipeline), "file");
        g_object_set(file, "location", impl->part.c_str(), nullptr);
        gst_object_unref(file);
        if (gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) {
            impl->silentFallback = silent && sound != ClipSound::Silence;
            break;
        }
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        pipeline = nullptr;
        logLine("clip: the %s does not start", silent ? "pipeline" : "sound source");
    }
    if (!pipeline) {
        g_remove(impl->part.c_str());
        error = "the encoder does not start";
        return false;
    }
    impl->pipeline = pipeline;
    impl->source = gst_bin_get_by_name(GST_BIN(pipeline), "pictures");

    // The pictures' buffers, used again and again: a frame takes one if one
    // is free, and leaves its picture out of the clip if none is.
    impl->pool = gst_buffer_pool_new();
    GstStructure* config = gst_buffer_pool_get_config(impl->pool);
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGBA", "width", G_TYPE_INT, width,
                                        "height", G_TYPE_INT, height, nullptr);
    gst_buffer_pool_config_set_params(config, caps, static_cast<guint>(width) * height * 4, 2, 8);
    gst_caps_unref(caps);
    gst_buffer_pool_set_config(impl->pool, config);
    gst_buffer_pool_set_active(impl->pool, TRUE);

    impl->started = Clock::now();
    logLine("clip: recording %d x %d pictures (%d x %d in the file) with %s into %s", width, height, encodedWidth,
            encodedHeight, impl->silentFallback ? "no sound" : soundSource(sound).c_str(), impl->file.c_str());
    impl_ = std::move(impl);
    return true;
}

bool ClipRecorder::recording() const
{
    return impl_ && impl_->pipeline && !impl_->stopping;
}

double ClipRecorder::seconds() const
{
    if (!recording())
        return 0;
    return std::chrono::duration<double>(Clock::now() - impl_->started).count();
}

bool ClipRecorder::wantsFrame() const
{
    return recording() && seconds() * kFramesPerSecond >= impl_->framesDue;
}

void ClipRecorder::addFrame(const uint8_t* rgba, int width, int height)
{
    if (!recording())
        return;
    impl_->framesDue = static_cast<long>(seconds() * kFramesPerSecond) + 1;
    if (width != impl_->width || height != impl_->height) {
        ++impl_->framesLeftOut;  // the window changed size: the clip keeps its own
        return;
    }
    GstBuffer* buffer = nullptr;
    GstBufferPoolAcquireParams params{};
    params.flags = GST_BUFFER_POOL_ACQUIRE_FLAG_DONTWAIT;
    if (gst_buffer_pool_acquire_buffer(impl_->pool, &buffer, &params) != GST_FLOW_OK) {
        ++impl_->framesLeftOut;  // the encoder lags
        return;
    }
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        std::memcpy(map.data, rgba, static_cast<size_t>(width) * height * 4);
        gst_buffer_unmap(buffer, &map);
    }
    gst_app_src_push_buffer(GST_APP_SRC(impl_->source), buffer);
}

void ClipRecorder::stop()
{
    if (!recording())
        return;
    logLine("clip: %.1f s recorded, %ld pictures left out", seconds(), impl_->framesLeftOut);
    impl_->stopping = true;
    // Every stream ends; the file is whole when the end reaches its sink.
    gst_element_send_event(impl_->pipeline, gst_event_new_eos());
}

void ClipRecorder::poll()
{
    if (!impl_ || !impl_->pipeline)
        return;
    if (recording() && seconds() >= kLongestSeconds)
        stop();
    GstBus* bus = gst_element_get_bus(impl_->pipeline);
    bool ended = false;
    while (GstMessage* message = gst_bus_pop_filtered(bus, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gchar* debug = nullptr;
            gst_message_parse_error(message, &error, &debug);
            logLine("clip: %s (%s)", error ? error->message : "an error", debug ? debug : "");
            if (impl_->trouble.empty())
                impl_->trouble = error && g_error_matches(error, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NO_SPACE_LEFT)
                                     ? "the disk is full"
                                     : "the encoder failed";
            impl_->diskFull = error && g_error_matches(error, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NO_SPACE_LEFT);
            g_clear_error(&error);
            g_free(debug);
        }
        ended = true;
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    if (!ended)
        return;

    std::unique_ptr<Impl> impl = std::move(impl_);
    impl->close();
    ClipOutcome outcome;
    outcome.file = impl->file;
    const std::string shown = homeShortened(impl->file);
    if (!impl->trouble.empty()) {
        // A file cut off (a full disk, an encoder that failed) would not
        // play to its end: it is not kept.
        g_remove(impl->part.c_str());
        outcome.said =
            "The clip was not kept: " + impl->trouble + "." +
            (impl->diskFull ? " Free some space in " + homeShortened(videosDir()) + ", then record again." : "");
        logLine("clip: %s; %s is not kept", impl->trouble.c_str(), impl->file.c_str());
    } else if (g_rename(impl->part.c_str(), impl->file.c_str()) != 0) {
        outcome.said = "The clip was not kept: " + shown + " cannot be named (" + g_strerror(errno) + ").";
        g_remove(impl->part.c_str());
        logLine("clip: %s cannot be named: %s", impl->file.c_str(), g_strerror(errno));
    } else {
        outcome.kept = true;
        outcome.said = impl->silentFallback ? "Clip saved, without sound (it cannot be heard now): " + shown
                                            : "Clip saved: " + shown;
        logLine("clip: saved %s", impl->file.c_str());
    }
    if (onFinished)
        onFinished(outcome);
}

}  // namespace zorbel
