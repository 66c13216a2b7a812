// While a clip records: a small red dot and the seconds so far in the top
// right corner of the board, over everything, on the screens (the clip is
// the scene alone, so the mark is never in it). A tap on it stops the clip.
#pragma once

#include "platform/kit/kit.h"

#include <functional>
#include <memory>

namespace zorbel {

class RecordingMark : public View {
public:
    // `stop` runs when the mark is tapped.
    static std::shared_ptr<RecordingMark> create(std::function<void()> stop);

    // The seconds shown; redrawn only when the whole second changes.
    void setSeconds(double seconds);

    void drawRect(GraphicsContext& context, Rect rect) override;
    void touchesBegan(const std::vector<Touch>&) override {}
    void touchesEnded(const std::vector<Touch>& touches) override;

    static constexpr Rect kFrame{246, 8, 66, 24};

private:
    explicit RecordingMark(std::function<void()> stop);

    std::function<void()> stop_;
    std::shared_ptr<Label> seconds_;
    int shown_ = -1;
};

}  // namespace zorbel
