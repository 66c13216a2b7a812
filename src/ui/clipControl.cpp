#include "ui/clipControl.h"

#include "audio/audioInMeter.h"
#include "platform/kit/kit.h"
#include "platform/log/log.h"
#include "ui/notice.h"
#include "ui/recordingMark.h"

namespace zorbel {

ClipControl::ClipControl(Screen& screen) : screen_(screen)
{
    recorder.onFinished = [this](const ClipOutcome& outcome) {
        if (mark_) {
            EventScope scope;
            mark_->removeFromSuperview();
            mark_.reset();
        }
        showNotice(outcome.said);
    };
}

ClipControl::~ClipControl()
{
    recorder.onFinished = nullptr;
}

void ClipControl::toggle(int width, int height)
{
    if (recorder.recording()) {
        stop();
        return;
    }
    const ClipSound sound = listeningSwitchedOff()                      ? ClipSound::Silence
                            : getAudioSource() == AudioSource::Computer ? ClipSound::Computer
                                                                        : ClipSound::Microphone;
    std::string why;
    if (!recorder.start(width, height, sound, why)) {
        logLine("clip: %s", why.c_str());
        showNotice(why);
        return;
    }
    mark_ = RecordingMark::create([this] { stop(); });
    EventScope scope;
    screen_.root().addSubview(mark_);
}

std::string ClipControl::title(const char* cannot) const
{
    if (recorder.recording())
        return "Stop recording";
    std::string why;
    return ClipRecorder::available(why) ? "Record a clip" : cannot;
}

void ClipControl::stop()
{
    recorder.stop();
}

void ClipControl::tick()
{
    recorder.poll();
    if (mark_)
        mark_->setSeconds(recorder.seconds());
}

}  // namespace zorbel
