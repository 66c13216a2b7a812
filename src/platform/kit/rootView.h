// The top of a Screen's view tree: the 320 x 480 point screen itself. It
// carries the screen's "needs display" flag and ends the responder chain.
#pragma once

#include "platform/kit/kit.h"

namespace zorbel {

class RootView final : public View {
public:
    RootView() : View(kScreenBounds) {}
    bool dirty = true;  // something changed since the last render

    // Touches passed up to the screen end here.
    void touchesBegan(const std::vector<Touch>&) override {}
    void touchesMoved(const std::vector<Touch>&) override {}
    void touchesEnded(const std::vector<Touch>&) override {}
    void touchesCancelled(const std::vector<Touch>&) override {}
};

}  // namespace zorbel
