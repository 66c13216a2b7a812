// The kit's view tree driven and searched in-process: a scripted finger
// through Screen::dispatch, and views found by kind, title or text.
#pragma once

#include "platform/kit/kit.h"

#include <functional>
#include <string>

namespace zorbel::test {

// One finger, scripted through Screen::dispatch (screen points).
class Finger {
public:
    explicit Finger(Screen& screen, int64_t id = 1) : screen_(screen), id_(id) {}
    void down(float x, float y) { send(TouchPhase::Began, x, y); }
    void move(float x, float y) { send(TouchPhase::Moved, x, y); }
    void up() { send(TouchPhase::Ended, x_, y_); }
    void cancel() { send(TouchPhase::Cancelled, x_, y_); }
    void tap(Point p)
    {
        down(p.x, p.y);
        up();
    }
    // Moves in `steps` equal steps to (x, y), one event each.
    void drag(float x, float y, int steps = 10)
    {
        const float x0 = x_, y0 = y_;
        for (int i = 1; i <= steps; ++i)
            move(x0 + (x - x0) * i / steps, y0 + (y - y0) * i / steps);
    }
    // Down at `from`, in ten steps to `to`, and up.
    void slide(Point from, Point to)
    {
        down(from.x, from.y);
        drag(to.x, to.y);
        up();
    }

private:
    void send(TouchPhase phase, float x, float y)
    {
        x_ = x;
        y_ = y;
        screen_.dispatch(phase, {{id_, {x, y}}});
    }
    Screen& screen_;
    int64_t id_;
    float x_ = 0, y_ = 0;
};

// The first view of kind T under `from`, depth first, that `is` accepts.
template <typename T = View>
T* findView(
    View& from, const std::function<bool(T&)>& is = [](T&) { return true; })
{
    if (auto* t = dynamic_cast<T*>(&from); t && is(*t))
        return t;
    for (const auto& sub : from.subviews())
        if (T* t = findView<T>(*sub, is))
            return t;
    return nullptr;
}

inline Button* findButton(View& from, const std::string& title)
{
    return findView<Button>(from, [&](Button& b) { return b.title() == title; });
}

inline Label* findLabel(View& from, const std::string& text)
{
    return findView<Label>(from, [&](Label& l) { return l.text() == text; });
}

// The middle of a view, in screen points.
inline Point centreOf(const View& v)
{
    return v.convertToScreen({v.bounds().width / 2, v.bounds().height / 2});
}

}  // namespace zorbel::test
