// A Screen's private state, shared by its dispatch and its drawing.
#pragma once

#include "platform/kit/kit.h"
#include "platform/kit/rootView.h"

namespace zorbel {

struct Screen::Impl {
    // Each touch in progress and the view it began on.
    struct Tracked {
        int64_t id;
        std::weak_ptr<View> view;
    };
    std::vector<Tracked> touches;
};

}  // namespace zorbel
