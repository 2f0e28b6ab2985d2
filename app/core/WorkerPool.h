#pragma once
// A fixed set of threads that run posted tasks in the order posted.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TWorkerPool {
public:
    // Starts `threads` threads (at least one).
    explicit TWorkerPool(int threads);
    // Runs the tasks already posted, then joins every thread.
    ~TWorkerPool();
    TWorkerPool(const TWorkerPool&) = delete;
    TWorkerPool& operator=(const TWorkerPool&) = delete;

    // Queues a task; a free thread runs it. A task must not throw (one that
    // does ends the program).
    void Post(std::function<void()> task);

private:
    void Work();

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> tasks_;
    bool ending_ = false;
    std::vector<std::jthread> threads_;
};
