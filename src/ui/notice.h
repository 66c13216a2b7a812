// A few words on the board for a few seconds: what went wrong and what to do
// about it, or what was done, where no screen has a place for it. The band
// is dark, lies over every screen at the top or the bottom edge of the
// board, whichever keeps off the figure, lets touches through and fades
// away; a newer notice takes the place of the one shown.
#pragma once

#include "platform/imaging/graphics.h"

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

// What the shell lends the notices: its screen, its run loop's timers, and
// where the figure is (points; empty: nowhere), which a notice keeps off.
struct NoticeHost {
    Screen* screen = nullptr;
    std::function<int(double seconds, std::function<void()> tick)> addRepeatingTimer;
    std::function<void(int timer)> invalidateTimer;
    std::function<Rect()> keepClear;
};

// The band a notice takes on a 320 x 480 point screen: the top one unless
// `figure` overlaps it more than the bottom one; `current` (if a band) is
// kept until the other overlaps less.
Rect noticeBand(const Rect& figure, const Rect* current = nullptr);

// Installs the host, or with an empty one takes the notice away and stops
// showing notices (the shell is going).
void setNoticeHost(NoticeHost host);

// The host made of a shell's screen and run loop, and where the figure is.
template <typename Loop> NoticeHost noticeHost(Screen& screen, Loop& loop, std::function<Rect()> keepClear = {})
{
    return {&screen,
            [&loop](double seconds, std::function<void()> tick) { return loop.addRepeatingTimer(seconds, tick); },
            [&loop](int timer) { loop.invalidateTimer(timer); }, std::move(keepClear)};
}

}  // namespace zorbel
