#include "platform/audio/pulseAudioInput.h"

#include "audio/levelMeter.h"
#include "platform/log/log.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <string>

namespace zorbel {

namespace {

const char kLogPrefix[] = "this computer's sound";
const pa_usec_t kAnswerBound = 2 * PA_USEC_PER_SEC;         // a server that takes longer counts as none
const pa_usec_t kProbeBound = 300 * PA_USEC_PER_MSEC;       // the quiet check while waiting for one
const pa_usec_t kFragment = 16 * PA_USEC_PER_MSEC;          // one fragment a frame: the meter moves each frame
const pa_sample_spec kFormat = {PA_SAMPLE_S16LE, 8000, 1};  // the server resamples to this

uint32_t runningCapture = 0;  // main thread
uint32_t lastCapture = 0;

pa_proplist* applicationProperties()
{
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Zorbel");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "io.github.zorbel.Zorbel");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "io.github.zorbel.Zorbel");
    return props;
}

pa_context* newContext(pa_mainloop_api* api)
{
    pa_proplist* props = applicationProperties();
    pa_context* context = pa_context_new_with_proplist(api, "Zorbel", props);
    pa_proplist_free(props);
    return context;
}

void unref(pa_operation* op)
{
    if (op)
        pa_operation_unref(op);
}

class PulseAudioInput : public AudioInputQueue {
public:
    explicit PulseAudioInput(SoundServerGone gone) : gone_(std::move(gone)), id_(++lastCapture) {}
    ~PulseAudioInput() override;
    bool connect(std::string& reason);

    bool currentAveragePower(float& power) override
    {
        power = level_.load(std::memory_order_relaxed);
        return true;
    }

private:
    // All of these run on libpulse's thread (or with its lock held).
    static void contextChanged(pa_context* context, void* self);
    static void serverEvent(pa_context*, pa_subscription_event_type_t event, uint32_t, void* self);
    static void serverInfo(pa_context*, const pa_server_info* info, void* self);
    static void sinkInfo(pa_context*, const pa_sink_info* info, int last, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void samplesArrived(pa_stream* stream, size_t, void* self);
    static void timedOut(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    void follow();
    void record(const char* monitor);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::string monitor_;  // the source the stream records from
    bool timedOut_ = false;
    bool ready_ = false;
    LevelMeter meter_;
    std::atomic<float> level_{0.0f};  // written on libpulse's thread, read on the main thread
    SoundServerGone gone_;
    uint32_t id_;
};

// Connects, waiting at most kAnswerBound for the server's answer, then
// starts following the default output.
bool PulseAudioInput::connect(std::string& reason)
{
    loop_ = pa_threaded_mainloop_new();
    context_ = loop_ ? newContext(pa_threaded_mainloop_get_api(loop_)) : nullptr;
    if (!context_) {
        reason = "libpulse cannot start";
        return false;
    }
    pa_context_set_state_callback(context_, contextChanged, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(loop_) < 0) {
        reason = pa_strerror(pa_context_errno(context_));
        return false;
    }
    pa_threaded_mainloop_lock(loop_);
    pa_time_event* timer = pa_context_rttime_new(context_, pa_rtclock_now() + kAnswerBound, timedOut, this);
    pa_context_state_t state;
    while ((state = pa_context_get_state(context_)) != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state) && !timedOut_)
        pa_threaded_mainloop_wait(loop_);
    if (timer)
        pa_threaded_mainloop_get_api(loop_)->time_free(timer);
    ready_ = state == PA_CONTEXT_READY;
    if (ready_) {
        pa_context_set_subscribe_callback(context_, serverEvent, this);
        unref(pa_context_subscribe(context_,
                                   pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK),
                                   nullptr, nullptr));
        follow();
    } else {
        reason = timedOut_ ? "the sound server does not answer" : pa_strerror(pa_context_errno(context_));
    }
    pa_threaded_mainloop_unlock(loop_);
    return ready_;
}

PulseAudioInput::~PulseAudioInput()
{
    if (loop_) {
        pa_threaded_mainloop_lock(loop_);
        if (stream_) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_set_read_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_set_subscribe_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);  // no callback runs after this
        pa_threaded_mainloop_free(loop_);
    }
    if (runningCapture == id_)
        runningCapture = 0;
}

void PulseAudioInput::timedOut(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
{
    auto* in = static_cast<PulseAudioInput*>(self);
    in->timedOut_ = true;
    pa_threaded_mainloop_signal(in->loop_, 0);
}

void PulseAudioInput::contextChanged(pa_context* context, void* self)
{
    auto* in = static_cast<PulseAudioInput*>(self);
    if (PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
        pa_threaded_mainloop_signal(in->loop_, 0);
        return;
    }
    pa_threaded_mainloop_signal(in->loop_, 0);
    if (!in->ready_)
        return;  // still connecting: connect() tells why
    in->ready_ = false;
    in->level_.store(0.0f, std::memory_order_relaxed);
    logLine("%s: the sound server went away (%s)", kLogPrefix, pa_strerror(pa_context_errno(context)));
    if (in->gone_)
        in->gone_(in->id_);
}

// The default output, its monitor, or a new output: find the monitor to record.
void PulseAudioInput::serverEvent(pa_context*, pa_subscription_event_type_t event, uint32_t, void* self)
{
    const int facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const int type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER || type != PA_SUBSCRIPTION_EVENT_CHANGE)
        static_cast<PulseAudioInput*>(self)->follow();
}

void PulseAudioInput::follow()
{
    unref(pa_context_get_server_info(context_, serverInfo, this));
}

void PulseAudioInput::serverInfo(pa_context* context, const pa_server_info* info, void* self)
{
    if (info && info->default_sink_name)
        unref(pa_context_get_sink_info_by_name(context, info->default_sink_name, sinkInfo, self));
    else if (info)
        logLine("%s: the sound server has no output to listen to", kLogPrefix);
}

void PulseAudioInput::sinkInfo(pa_context* context, const pa_sink_info* info, int last, void* self)
{
    auto* in = static_cast<PulseAudioInput*>(self);
    if (last || !info || !info->monitor_source_name || in->monitor_ == info->monitor_source_name)
        return;
    in->monitor_ = info->monitor_source_name;
    if (in->stream_ && pa_stream_get_state(in->stream_) == PA_STREAM_READY) {
        logLine("%s: now from %s", kLogPrefix, info->monitor_source_name);
        unref(pa_context_move_source_output_by_name(context, pa_stream_get_index(in->stream_),
                                                    info->monitor_source_name, nullptr, nullptr));
    } else {
        in->record(info->monitor_source_name);
    }
}

void PulseAudioInput::record(const char* monitor)
{
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    pa_proplist* props = applicationProperties();
    stream_ = pa_stream_new_with_proplist(context_, "Zorbel listens for music", &kFormat, nullptr, props);
    pa_proplist_free(props);
    if (!stream_) {
        logLine("%s: cannot record from %s (%s)", kLogPrefix, monitor, pa_strerror(pa_context_errno(context_)));
        return;
    }
    pa_stream_set_state_callback(stream_, streamChanged, this);
    pa_stream_set_read_callback(stream_, samplesArrived, this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kFragment, &kFormat));
    // Listening must not keep the sound card awake when nothing plays.
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND);
    if (pa_stream_connect_record(stream_, monitor, &attr, flags) < 0)
        logLine("%s: cannot record from %s (%s)", kLogPrefix, monitor, pa_strerror(pa_context_errno(context_)));
    else
        logLine("%s: listening to %s", kLogPrefix, monitor);
}

// A stream that fails (its output removed, say) is dropped; the next change
// of the default output records again.
void PulseAudioInput::streamChanged(pa_stream* stream, void* self)
{
    auto* in = static_cast<PulseAudioInput*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED)
        return;
    if (state == PA_STREAM_FAILED && pa_context_get_state(in->context_) == PA_CONTEXT_READY)
        logLine("%s: recording from %s stopped (%s)", kLogPrefix, in->monitor_.c_str(),
                pa_strerror(pa_context_errno(in->context_)));
    in->monitor_.clear();
    in->level_.store(0.0f, std::memory_order_relaxed);
}

// Meters what has arrived, in place: nothing is allocated or copied.
void PulseAudioInput::samplesArrived(pa_stream* stream, size_t, void* self)
{
    static const int16_t kSilence[256] = {};
    auto* in = static_cast<PulseAudioInput*>(self);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
        if (data) {
            in->meter_.process(static_cast<const int16_t*>(data), static_cast<int>(bytes / 2));
        } else {
            for (size_t n = bytes / 2; n > 0;) {  // a hole in the stream is silence
                const size_t chunk = n < 256 ? n : 256;
                in->meter_.process(kSilence, static_cast<int>(chunk));
                n -= chunk;
            }
        }
        pa_stream_drop(stream);
    }
    in->level_.store(in->meter_.level(), std::memory_order_relaxed);
}

}  // namespace

std::unique_ptr<AudioInputQueue> openPulseAudioInput(SoundServerGone gone)
{
    auto in = std::make_unique<PulseAudioInput>(std::move(gone));
    std::string reason;
    if (!in->connect(reason)) {
        logLine("%s cannot be heard: no sound server is running (%s)", kLogPrefix, reason.c_str());
        return nullptr;
    }
    runningCapture = lastCapture;
    return in;
}

uint32_t runningSoundServerCapture()
{
    return runningCapture;
}

bool soundServerAnswers()
{
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = newContext(pa_mainloop_get_api(loop));
    bool ready = false;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const pa_usec_t end = pa_rtclock_now() + kProbeBound;
        for (pa_usec_t now = pa_rtclock_now(); now < end; now = pa_rtclock_now()) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) {
                ready = state == PA_CONTEXT_READY;
                break;
            }
            if (pa_mainloop_prepare(loop, static_cast<int>(end - now)) < 0 || pa_mainloop_poll(loop) < 0 ||
                pa_mainloop_dispatch(loop) < 0)
                break;
        }
    }
    if (context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    pa_mainloop_free(loop);
    return ready;
}

}  // namespace zorbel
