#include "platform/helperthreads.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <thread>
#include <utility>

namespace {

// What a new thread runs, and where it may run once started.
struct Launched {
    std::function<void()> run;
    cpu_set_t usable;
    bool placed;  // started on one CPU: `usable` is to be restored
};

void* RunLaunched(void* argument) {
    const std::unique_ptr<Launched> launched(static_cast<Launched*>(argument));
    if (launched->placed) {
        ::pthread_setaffinity_np(::pthread_self(), sizeof launched->usable, &launched->usable);
    }
    launched->run();
    return nullptr;
}

}  // namespace

HelperThreads::HelperThreads(int most) : mMost(most > 0 ? most : 0) {}

HelperThreads::~HelperThreads() { JoinAll(); }

bool HelperThreads::Start(std::function<void()> work) {
    std::unique_lock<std::mutex> lock(mMutex);
    if (mMost == 0) {
        return false;
    }
    mChanged.wait(lock, [this] { return mRunning < mMost; });
    cpu_set_t usable;
    const int cpu = StartingCpu(usable);
    try {
        mStartedOn.push_back(cpu);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ++mRunning;
    lock.unlock();
    auto helper = [this, cpu, work = std::move(work)] {
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
        mStartedOn.erase(std::find(mStartedOn.begin(), mStartedOn.end(), cpu));
        mChanged.notify_all();
    };
    if (Launch(std::move(helper), usable, cpu)) {
        return true;
    }
    lock.lock();
    --mRunning;
    mStartedOn.erase(std::find(mStartedOn.begin(), mStartedOn.end(), cpu));
    return false;
}

int HelperThreads::StartingCpu(cpu_set_t& usable) const {
    if (::sched_getaffinity(0, sizeof usable, &usable) != 0) {
        return -1;
    }
    const int here = ::sched_getcpu();
    int caller = -1;  // the caller's own CPU, when no helper took it: the caller may wait
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &usable) ||
            std::find(mStartedOn.begin(), mStartedOn.end(), cpu) != mStartedOn.end()) {
            continue;
        }
        if (cpu != here) {
            return cpu;
        }
        caller = cpu;
    }
    return caller;
}

bool HelperThreads::Launch(std::function<void()> run, const cpu_set_t& usable, int cpu) {
    std::unique_ptr<Launched> launched;
    try {
        mThreads.reserve(mThreads.size() + 1);
        launched.reset(new Launched{std::move(run), usable, cpu >= 0});
    } catch (const std::bad_alloc&) {
        return false;
    }
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) != 0) {
        return false;
    }
    if (cpu >= 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        ::pthread_attr_setaffinity_np(&attributes, sizeof one, &one);
    }
    pthread_t thread;
    int error = ::pthread_create(&thread, &attributes, RunLaunched, launched.get());
    if (error == EINVAL && cpu >= 0) {  // the CPU went away meanwhile: start it anywhere
        launched->placed = false;
        error = ::pthread_create(&thread, nullptr, RunLaunched, launched.get());
    }
    ::pthread_attr_destroy(&attributes);
    if (error != 0) {  // no thread to be had: EAGAIN, ENOMEM
        return false;
    }
    launched.release();
    mThreads.push_back(thread);
    return true;
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
    for (const pthread_t thread : mThreads) {
        ::pthread_join(thread, nullptr);
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
