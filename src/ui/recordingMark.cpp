#include "ui/recordingMark.h"

#include <cstdio>

namespace zorbel {

RecordingMark::RecordingMark(std::function<void()> stop) : View(kFrame), stop_(std::move(stop)) {}

std::shared_ptr<RecordingMark> RecordingMark::create(std::function<void()> stop)
{
    std::shared_ptr<RecordingMark> mark(new RecordingMark(std::move(stop)));
    mark->setBackgroundColor(Color::clear());
    mark->seconds_ = std::make_shared<Label>(Rect{22, 2, 40, 20});
    mark->seconds_->setFont(Font::system(13));
    mark->seconds_->setTextColor(Color::white());
    mark->seconds_->setUserInteractionEnabled(false);
    mark->addSubview(mark->seconds_);
    mark->setSeconds(0);
    return mark;
}

void RecordingMark::setSeconds(double seconds)
{
    const int whole = seconds > 0 ? static_cast<int>(seconds) : 0;
    if (whole == shown_)
        return;
    shown_ = whole;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    seconds_->setText(text);
}

void RecordingMark::drawRect(GraphicsContext& context, Rect)
{
    context.beginPath();
    context.roundedRect({0, 0, kFrame.width, kFrame.height}, kFrame.height / 2);
    context.fill(Color{0, 0, 0, 0.6f});
    context.beginPath();
    context.arc(12, kFrame.height / 2, 6, 0, 6.283185307179586);
    context.fill(Color{0.9f, 0.1f, 0.1f, 1});
}

void RecordingMark::touchesEnded(const std::vector<Touch>&)
{
    if (stop_)
        stop_();
}

}  // namespace zorbel
