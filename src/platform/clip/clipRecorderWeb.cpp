// Clips in the browser: MediaRecorder records the board's canvas itself,
// with the microphone (clipRecorder.js); the program starts and stops it and
// hears what became of the file.
#include "platform/clip/clipRecorder.h"

#include "platform/log/log.h"

#include <emscripten/emscripten.h>

#include <chrono>

extern "C" {
int zrAvailable();
int zrStart(const char* base);
void zrStop();
}

namespace zorbel {

namespace {

using Clock = std::chrono::steady_clock;

// What the page said of the last clip; delivered by poll().
struct Finished {
    bool pending = false;
    int how = 0;   // 0 lost, 1 downloaded, 2 shared
    int kind = 0;  // 0 MP4, 1 WebM
    bool sound = false;
};

Finished& finished()
{
    static Finished f;
    return f;
}

}  // namespace

struct ClipRecorder::Impl {
    bool recording = false;
    bool silent = false;
    bool stopping = false;  // stopped, and the page has not said how it ended
    std::string base;
    Clock::time_point started, stopped;
};

// How long the page may take to hand over a stopped clip before it counts
// as lost.
constexpr double kLongestHandOverSeconds = 10;

ClipRecorder::ClipRecorder() : impl_(std::make_unique<Impl>()) {}

ClipRecorder::~ClipRecorder()
{
    if (recording())
        zrStop();
}

bool ClipRecorder::available(std::string& why)
{
    if (zrAvailable())
        return true;
    why = "Clips cannot be made in this browser: it cannot record the board (no MediaRecorder).";
    return false;
}

bool ClipRecorder::start(int, int, ClipSound sound, std::string& error)
{
    if (recording()) {
        error = "a clip is being recorded already";
        return false;
    }
    if (!available(error))
        return false;
    impl_->base = clipFileName(std::time(nullptr), "");
    const int started = zrStart(impl_->base.c_str());
    if (!started) {
        error = "The clip cannot start: this browser cannot record the board.";
        return false;
    }
    impl_->recording = true;
    impl_->silent = started == 2 && sound != ClipSound::Silence;
    impl_->started = Clock::now();
    finished() = {};
    impl_->stopping = false;
    logLine("clip: recording %s", started == 1 ? "with the microphone" : "without sound");
    return true;
}

void ClipRecorder::stop()
{
    if (!recording())
        return;
    logLine("clip: %.1f s recorded", seconds());
    impl_->recording = false;
    impl_->stopping = true;
    impl_->stopped = Clock::now();
    zrStop();
}

bool ClipRecorder::recording() const
{
    return impl_->recording;
}

double ClipRecorder::seconds() const
{
    return recording() ? std::chrono::duration<double>(Clock::now() - impl_->started).count() : 0;
}

bool ClipRecorder::wantsFrame() const
{
    return false;
}

void ClipRecorder::addFrame(const uint8_t*, int, int) {}

void ClipRecorder::poll()
{
    if (recording() && seconds() >= kLongestSeconds)
        stop();
    Finished& f = finished();
    if (!f.pending && impl_->stopping &&
        std::chrono::duration<double>(Clock::now() - impl_->stopped).count() > kLongestHandOverSeconds) {
        logLine("clip: the browser did not hand the clip over");
        f = {true, 0, 0, false};  // lost
    }
    if (!f.pending)
        return;
    f.pending = false;
    impl_->stopping = false;
    impl_->recording = false;
    ClipOutcome outcome;
    outcome.file = impl_->base + (f.kind == 0 ? ".mp4" : ".webm");
    outcome.kept = f.how != 0;
    const char* quiet = impl_->silent ? ", without sound (the microphone cannot be heard)" : "";
    if (f.how == 2)
        outcome.said = std::string("Clip shared") + quiet + ".";
    else if (f.how == 1)
        outcome.said = std::string("Clip saved to your downloads") + quiet + ": " + outcome.file;
    else
        outcome.said = "The clip was not kept: the browser recorded nothing.";
    if (onFinished)
        onFinished(outcome);
}

}  // namespace zorbel

// The page is done with a clip: how 0 lost, 1 downloaded, 2 shared; kind 0
// MP4, 1 WebM; sound 1 when it has the microphone's.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelClipFinished(int how, int kind, int sound)
{
    zorbel::finished() = {true, how, kind, sound != 0};
}
