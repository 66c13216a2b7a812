// A steady-state frame allocates nothing on the heap.
#include "countingAllocator.h"
#include "sceneFixture.h"

namespace zorbel::test {
namespace {

TEST_F(SceneTest, SteadyFramesAllocateNothing)
{
    const TouchPoint finger{160.0f, 200.0f};
    view->touchesBegan(&finger, 1);
    frames(120);  // warm up: drivers compile their state on first use
    const long before = heapAllocations();
    frames(600);
    EXPECT_EQ(heapAllocations() - before, 0);
}

}  // namespace
}  // namespace zorbel::test
