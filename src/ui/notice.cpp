#include "ui/notice.h"

#include "platform/kit/kit.h"

namespace zorbel {

namespace {

const double kShownSeconds = 3.5;  // at full strength
const double kFadeSeconds = 0.5;   // then fading to nothing
const double kTick = 1.0 / 30;     // the fade's steps

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
    }
};

Board& board()
{
    static Board b;
    return b;
}

std::shared_ptr<View> makeNotice(const std::string& text)
{
    auto box = std::make_shared<View>(Rect{20, 40, 280, 64});
    box->setBackgroundColor({0, 0, 0, 0.75f});
    box->setUserInteractionEnabled(false);
    auto label = std::make_shared<Label>(Rect{12, 6, 256, 52});
    label->setText(text);
    label->setFont(Font::system(15));
    label->setTextColor(Color::white());
    label->setTextAlignment(TextAlignment::Center);
    label->setNumberOfLines(0);
    box->addSubview(label);
    return box;
}

}  // namespace

void showNotice(const std::string& text)
{
    Board& b = board();
    if (!b.host.screen || !b.host.addRepeatingTimer)
        return;
    b.takeAway();
    auto box = makeNotice(text);
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
