// HelperThreads: work run beside the calling thread, on as many helper threads as may be
// started, and on the calling thread when none can be.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A group of helper threads, at most `most` of them running at once. A thread that cannot
// be started (a process or user limit, no memory) is never an error: Start says so, and
// Run does the work on the calling thread instead. What a helper's work throws is kept and
// thrown by Wait, after every helper has ended; the destructor waits for the helpers and
// drops what they threw.
class HelperThreads {
public:
    explicit HelperThreads(int most);
    HelperThreads(const HelperThreads&) = delete;
    HelperThreads& operator=(const HelperThreads&) = delete;
    ~HelperThreads();

    // Starts `work` on a helper, first waiting until fewer than `most` are running. False,
    // with `work` not run, when `most` is 0 or no thread could be started.
    bool Start(std::function<void()> work);
    // Start, or `work` run on this thread when no helper takes it (what it throws is then
    // thrown here).
    void Run(std::function<void()> work);
    // Whether every helper has ended, waiting up to `timeout` for it.
    bool EndedWithin(std::chrono::milliseconds timeout);
    // Waits until every helper has ended, then throws the first thing one threw.
    void Wait();

private:
    void JoinAll();

    int mMost;
    std::vector<std::thread> mThreads;
    std::mutex mMutex;
    std::condition_variable mChanged;
    int mRunning = 0;
    std::exception_ptr mFailure;
};

// The number of threads to use when not told: one per CPU this process may run on
// (taskset, a container's CPU set), not all there are.
int DefaultThreadCount();

// Runs work(k) for k from 0 to tasks - 1 on up to `threads` threads, this one included
// (task 0 always runs here); each task runs once, and every task has ended when this
// returns. Throws the first thing a task threw, once all have ended.
void RunSideBySide(size_t tasks, int threads, const std::function<void(size_t)>& work);
