// Tasks handed to the main thread by worker threads.
#include "platform/kit/kit.h"

#include <mutex>
#include <vector>

namespace zorbel {

namespace {

struct TaskQueue {
    std::mutex lock;
    std::vector<std::function<void()>> tasks;
    std::function<void()> wakeUp;
};

TaskQueue& queue()
{
    static TaskQueue q;
    return q;
}

}  // namespace

void runOnMainThread(std::function<void()> task)
{
    std::function<void()> wake;
    {
        std::lock_guard<std::mutex> guard(queue().lock);
        queue().tasks.push_back(std::move(task));
        wake = queue().wakeUp;
    }
    if (wake)
        wake();
}

void setMainThreadWakeUp(std::function<void()> wakeUp)
{
    std::lock_guard<std::mutex> guard(queue().lock);
    queue().wakeUp = std::move(wakeUp);
}

void runMainThreadTasks()
{
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard<std::mutex> guard(queue().lock);
        tasks.swap(queue().tasks);
    }
    EventScope scope;
    for (auto& task : tasks)
        task();
}

}  // namespace zorbel
