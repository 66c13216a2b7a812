// Driving the kit in-process: scripted fingers on a Screen, and reading the
// pixels of its rendered pictures.
#pragma once

#include "pixels.h"
#include "platform/imaging/image.h"
#include "platform/kit/kit.h"

#include <memory>
#include <utility>
#include <vector>

namespace zorbel::test {

// One finger, scripted through Screen::dispatch (screen points).
class Finger {
public:
    explicit Finger(Screen& screen, int64_t id = 1) : screen_(screen), id_(id) {}
    void down(float x, float y) { send(TouchPhase::Began, x, y); }
    void move(float x, float y) { send(TouchPhase::Moved, x, y); }
    void up() { send(TouchPhase::Ended, x_, y_); }
    void cancel() { send(TouchPhase::Cancelled, x_, y_); }
    void tap(float x, float y)
    {
        down(x, y);
        up();
    }
    // Moves in `steps` equal steps to (x, y), one event each.
    void drag(float x, float y, int steps)
    {
        const float x0 = x_, y0 = y_;
        for (int i = 1; i <= steps; ++i)
            move(x0 + (x - x0) * i / steps, y0 + (y - y0) * i / steps);
    }
    Touch touch() const { return {id_, {x_, y_}}; }

private:
    void send(TouchPhase phase, float x, float y)
    {
        x_ = x;
        y_ = y;
        screen_.dispatch(phase, {touch()});
    }
    Screen& screen_;
    int64_t id_;
    float x_ = 0, y_ = 0;
};

// A view that records the touches it gets (and passes nothing on).
struct RecordingView : View {
    using View::View;
    struct Call {
        TouchPhase phase;
        std::vector<Touch> touches;
    };
    std::vector<Call> calls;
    void touchesBegan(const std::vector<Touch>& t) override { calls.push_back({TouchPhase::Began, t}); }
    void touchesMoved(const std::vector<Touch>& t) override { calls.push_back({TouchPhase::Moved, t}); }
    void touchesEnded(const std::vector<Touch>& t) override { calls.push_back({TouchPhase::Ended, t}); }
    void touchesCancelled(const std::vector<Touch>& t) override { calls.push_back({TouchPhase::Cancelled, t}); }
};

template <typename T, typename... Args> std::shared_ptr<T> addTo(View& parent, Args&&... args)
{
    auto view = std::make_shared<T>(std::forward<Args>(args)...);
    parent.addSubview(view);
    return view;
}

// Pixels in [x0, x1) x [y0, y1) for which pred holds.
template <typename Pred> int countPixels(const RGBAImage& img, int x0, int y0, int x1, int y1, Pred pred)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += pred(pixelAt(img, x, y)) ? 1 : 0;
    return n;
}

inline bool isTransparent(Pixel p)
{
    return p.a == 0;
}

inline bool isBlue(Pixel p)
{
    return p.a > 200 && p.b > p.r + 60;
}

}  // namespace zorbel::test
