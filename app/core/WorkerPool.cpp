#include "app/core/WorkerPool.h"

#include <algorithm>
#include <utility>

TWorkerPool::TWorkerPool(int threads)
{
    const int count = std::max(threads, 1);
    threads_.reserve(static_cast<std::size_t>(count));
    try {
        for (int i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
    } catch (...) {
        {
            const std::lock_guard lock(mutex_);
            ending_ = true;
        }
        ready_.notify_all();
        threads_.clear();  // joins the ones started
        throw;
    }
}

TWorkerPool::~TWorkerPool()
{
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    ready_.notify_all();
    threads_.clear();
}

void TWorkerPool::Post(std::function<void()> task)
{
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    ready_.notify_one();
}

void TWorkerPool::Work()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return ending_ || !tasks_.empty(); });
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}
