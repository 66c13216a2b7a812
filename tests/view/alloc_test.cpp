// A steady-state frame allocates nothing on the heap.
#include "sceneFixture.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace zorbel::test {
namespace {

TEST_F(SceneTest, SteadyFramesAllocateNothing)
{
    const TouchPoint finger{160.0f, 200.0f};
    view->touchesBegan(&finger, 1);
    frames(120);  // warm up: drivers compile their state on first use
    const long before = allocations.load();
    frames(600);
    EXPECT_EQ(allocations.load() - before, 0);
}

}  // namespace
}  // namespace zorbel::test
