// Driving the kit in-process: views that record their touches, and reading
// the pixels of the screen's rendered pictures.
#pragma once

#include "pixels.h"
#include "platform/imaging/image.h"
#include "viewTree.h"

#include <memory>
#include <utility>
#include <vector>

namespace zorbel::test {

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

inline bool isTransparent(Pixel p)
{
    return p.a == 0;
}

inline bool isBlue(Pixel p)
{
    return p.a > 200 && p.b > p.r + 60;
}

}  // namespace zorbel::test
