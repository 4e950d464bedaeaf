#include "platform/helperthreads.h"

#include <sched.h>

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

HelperThreads::HelperThreads(int most) : mMost(most > 0 ? most : 0) {}

HelperThreads::~HelperThreads() { JoinAll(); }

bool HelperThreads::Start(std::function<void()> work) {
    std::unique_lock<std::mutex> lock(mMutex);
    if (mMost == 0) {
        return false;
    }
    mChanged.wait(lock, [this] { return mRunning < mMost; });
    ++mRunning;
    lock.unlock();
    auto helper = [this, work = std::move(work)] {
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> ended(mMutex);
        if (failure && !mFailure) {
            mFailure = failure;
        }
        --mRunning;
        mChanged.notify_all();
    };
    try {
        mThreads.emplace_back(std::move(helper));
        return true;
    } catch (const std::system_error&) {  // no thread to be had: EAGAIN, ENOMEM
    } catch (const std::bad_alloc&) {
    }
    lock.lock();
    --mRunning;
    return false;
}

void HelperThreads::Run(std::function<void()> work) {
    if (!Start(work)) {
        work();
    }
}

bool HelperThreads::EndedWithin(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mMutex);
    return mChanged.wait_for(lock, timeout, [this] { return mRunning == 0; });
}

void HelperThreads::Wait() {
    JoinAll();
    std::exception_ptr failure;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        failure = std::exchange(mFailure, nullptr);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void HelperThreads::JoinAll() {
    for (std::thread& thread : mThreads) {
        thread.join();
    }
    mThreads.clear();
}

int DefaultThreadCount() {
    cpu_set_t usable;
    CPU_ZERO(&usable);
    if (::sched_getaffinity(0, sizeof usable, &usable) == 0 && CPU_COUNT(&usable) > 0) {
        return CPU_COUNT(&usable);
    }
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void RunSideBySide(size_t tasks, int threads, const std::function<void(size_t)>& work) {
    HelperThreads helpers(threads - 1);
    std::exception_ptr failure;  // of a task run here: thrown once the helpers have ended
    auto here = [&failure, &work](size_t k) {
        try {
            work(k);
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
        }
    };
    for (size_t k = 1; k < tasks; ++k) {
        if (!helpers.Start([&work, k] { work(k); })) {
            here(k);
        }
    }
    if (tasks > 0) {
        here(0);
    }
    helpers.Wait();
    if (failure) {
        std::rethrow_exception(failure);
    }
}
