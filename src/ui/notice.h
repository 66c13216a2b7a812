// A few words on the board for a few seconds: what went wrong, or what was
// done, where no screen has a place for it. The box is dark, lies over every
// screen, lets touches through and fades away; a newer notice takes the
// place of the one shown.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zorbel {

class Screen;
class View;

// Shows `text` through the shell's notice host; without one (zorbel-sim)
// nothing is shown.
void showNotice(const std::string& text);

// The text of the notice shown now; empty when there is none.
std::string shownNotice();

// What the shell lends the notices: its screen and its run loop's timers.
struct NoticeHost {
    Screen* screen = nullptr;
    std::function<int(double seconds, std::function<void()> tick)> addRepeatingTimer;
    std::function<void(int timer)> invalidateTimer;
};

// Installs the host, or with an empty one takes the notice away and stops
// showing notices (the shell is going).
void setNoticeHost(NoticeHost host);

// The host made of a shell's screen and run loop.
template <typename Loop> NoticeHost noticeHost(Screen& screen, Loop& loop)
{
    return {&screen,
            [&loop](double seconds, std::function<void()> tick) { return loop.addRepeatingTimer(seconds, tick); },
            [&loop](int timer) { loop.invalidateTimer(timer); }};
}

}  // namespace zorbel
