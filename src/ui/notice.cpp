#include "ui/notice.h"

#include "platform/kit/kit.h"

#include <algorithm>

namespace zorbel {

namespace {

const double kShownSeconds = 3.5;  // at full strength
const double kFadeSeconds = 0.5;   // then fading to nothing
const double kTick = 1.0 / 30;     // the fade's steps, and how often the band is chosen again

// The two bands, points: the top edge, and the bottom edge above the corners.
const Rect kTopBand{10, 6, 300, 46};
const Rect kBottomBand{10, 480 - 35 - 4 - 46, 300, 46};
const float kClearance = 8;  // how far off his strokes the band keeps

float overlap(const Rect& a, const Rect& b)
{
    const float w = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const float h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

bool same(const Rect& a, const Rect& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

struct Board {
    NoticeHost host;
    std::weak_ptr<View> box;
    std::string text;
    int timer = 0;
    double age = 0;  // seconds shown

    void takeAway()
    {
        if (timer && host.invalidateTimer)
            host.invalidateTimer(timer);
        timer = 0;
        text.clear();
        if (auto shown = box.lock()) {
            EventScope scope;
            shown->removeFromSuperview();
        }
        box.reset();
    }

    void tick()
    {
        age += kTick;
        auto shown = box.lock();
        if (!shown || age >= kShownSeconds + kFadeSeconds) {
            takeAway();
            return;
        }
        if (age > kShownSeconds)
            shown->setAlpha(static_cast<float>(1 - (age - kShownSeconds) / kFadeSeconds));
        // He moves: the band moves off him.
        const Rect now = shown->frame();
        const Rect band = noticeBand(figure(), &now);
        if (!same(band, now))
            shown->setFrame(band);
    }

    Rect figure() const { return host.keepClear ? host.keepClear() : Rect{}; }
};

Board& board()
{
    static Board b;
    return b;
}

std::shared_ptr<View> makeNotice(const std::string& text, const Rect& band)
{
    auto box = std::make_shared<View>(band);
    box->setBackgroundColor({0, 0, 0, 0.75f});
    box->setUserInteractionEnabled(false);
    auto label = std::make_shared<Label>(Rect{8, 2, band.width - 16, band.height - 4});
    label->setText(text);
    label->setFont(Font::system(12));
    label->setTextColor(Color::white());
    label->setTextAlignment(TextAlignment::Center);
    label->setNumberOfLines(0);
    box->addSubview(label);
    return box;
}

}  // namespace

Rect noticeBand(const Rect& figure, const Rect* current)
{
    const Rect clear{figure.x - kClearance, figure.y - kClearance, figure.width + 2 * kClearance,
                     figure.height + 2 * kClearance};
    const float top = figure.width > 0 ? overlap(clear, kTopBand) : 0;
    const float bottom = figure.width > 0 ? overlap(clear, kBottomBand) : 0;
    if (current && same(*current, kBottomBand))
        return top < bottom ? kTopBand : kBottomBand;
    return bottom < top ? kBottomBand : kTopBand;
}

void showNotice(const std::string& text)
{
    Board& b = board();
    if (!b.host.screen || !b.host.addRepeatingTimer)
        return;
    b.takeAway();
    auto box = makeNotice(text, noticeBand(b.figure()));
    {
        EventScope scope;
        b.host.screen->root().addSubview(box);
    }
    b.box = box;
    b.text = text;
    b.age = 0;
    b.timer = b.host.addRepeatingTimer(kTick, [] { board().tick(); });
}

std::string shownNotice()
{
    return board().box.expired() ? std::string() : board().text;
}

void setNoticeHost(NoticeHost host)
{
    board().takeAway();
    board().host = std::move(host);
}

}  // namespace zorbel
