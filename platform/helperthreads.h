// HelperThreads: work run beside the calling thread, on as many helper threads as may be
// started, and on the calling thread when none can be.
#pragma once

#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

// A group of helper threads, at most `most` of them running at once. A thread that cannot
// be started (a process or user limit, no memory) is never an error: Start says so, and
// Run does the work on the calling thread instead. What a helper's work throws is kept and
// thrown by Wait, after every helper has ended; the destructor waits for the helpers and
// drops what they threw.
//
// A helper starts on a CPU that neither the calling thread nor another running helper of
// the group started on, where there is one; once running it may use every CPU the caller
// may. Some kernels (seen on virtual machines that pack threads onto few CPUs) otherwise
// start it on the caller's CPU and leave it waiting there, with another CPU idle, until
// they next balance their load: milliseconds, longer than many of the helpers' tasks.
//
// A helper's thread is kept once its work has ended and takes the work of a later helper,
// of this group or another: threads are started only when more helpers run at once than
// ever before.
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
    // The CPU a new helper starts on, or -1 for any; `usable` is set to the caller's CPUs.
    int StartingCpu(cpu_set_t& usable) const;
    void WaitForHelpers();

    int mMost;
    std::vector<int> mStartedOn;  // the CPUs running helpers were started on
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
