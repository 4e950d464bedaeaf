#include "platform/helperthreads.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <thread>
#include <utility>

namespace {

// Threads kept once their work has ended, each waiting for more. Starting a thread and
// seeing it end costs tens of microseconds, as much as many of the helpers' tasks on a
// small map, and a search run starts helpers about ten times.
class KeptThreads {
public:
    // Never destroyed: kept threads still wait in it when the process ends.
    static KeptThreads& Shared() {
        static KeptThreads* const kept = new KeptThreads;
        return *kept;
    }

    // Runs `run` on a kept thread, or on a new one that is kept once `run` has ended; first
    // on `cpu` alone when it is not -1, then on the CPUs `usable`. False, with `run` not
    // run, when no thread could be had.
    bool Run(std::function<void()>&& run, const cpu_set_t& usable, int cpu);

private:
    struct Thread {
        pthread_t handle{};
        std::condition_variable handed;
        std::function<void()> work;  // empty while the thread waits
        cpu_set_t usable{};
        // `usable` is to be set before the work: the thread started on one CPU, or was
        // kept from an earlier caller, who may have had other CPUs.
        bool widen = false;
    };

    KeptThreads() {
        // A child process has none of the parent's threads.
        ::pthread_atfork([] { Shared().mMutex.lock(); }, [] { Shared().mMutex.unlock(); },
                         [] {
                             Shared().mWaiting.clear();
                             Shared().mMutex.unlock();
                         });
    }
    static void* Main(void* argument);
    // Gives a waiting thread `run`, placed as Run says.
    static void Hand(Thread& thread, std::function<void()>&& run, const cpu_set_t& usable, int cpu);

    std::mutex mMutex;
    std::vector<Thread*> mWaiting;  // room for every kept thread, so that waiting never fails
    size_t mCount = 0;              // kept threads
};

void* KeptThreads::Main(void* argument) {
    auto& thread = *static_cast<Thread*>(argument);
    KeptThreads& kept = Shared();
    std::unique_lock<std::mutex> lock(kept.mMutex);
    for (;;) {
        std::function<void()> work = std::exchange(thread.work, nullptr);
        const bool widen = thread.widen;
        const cpu_set_t usable = thread.usable;
        lock.unlock();
        if (widen) {
            ::pthread_setaffinity_np(::pthread_self(), sizeof usable, &usable);
        }
        work();
        work = nullptr;
        lock.lock();
        kept.mWaiting.push_back(&thread);
        thread.handed.wait(lock, [&thread] { return thread.work != nullptr; });
    }
}

void KeptThreads::Hand(Thread& thread, std::function<void()>&& run, const cpu_set_t& usable,
                       int cpu) {
    if (cpu >= 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        ::pthread_setaffinity_np(thread.handle, sizeof one, &one);
    }
    thread.widen = true;
    thread.usable = usable;
    thread.work = std::move(run);
}

bool KeptThreads::Run(std::function<void()>&& run, const cpu_set_t& usable, int cpu) {
    std::unique_lock<std::mutex> lock(mMutex);
    if (!mWaiting.empty()) {
        Thread& thread = *mWaiting.back();
        mWaiting.pop_back();
        Hand(thread, std::move(run), usable, cpu);
        lock.unlock();
        thread.handed.notify_one();
        return true;
    }
    std::unique_ptr<Thread> thread;
    try {
        mWaiting.reserve(mCount + 1);
        thread = std::make_unique<Thread>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) != 0) {
        return false;
    }
    ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    thread->usable = usable;
    thread->widen = cpu >= 0;
    if (cpu >= 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        ::pthread_attr_setaffinity_np(&attributes, sizeof one, &one);
    }
    thread->work = std::move(run);
    int error = ::pthread_create(&thread->handle, &attributes, Main, thread.get());
    if (error == EINVAL && cpu >= 0) {  // the CPU went away meanwhile: start it anywhere
        thread->widen = false;
        ::pthread_attr_destroy(&attributes);
        ::pthread_attr_init(&attributes);
        ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
        error = ::pthread_create(&thread->handle, &attributes, Main, thread.get());
    }
    ::pthread_attr_destroy(&attributes);
    if (error != 0) {  // no thread to be had: EAGAIN, ENOMEM
        return false;
    }
    ++mCount;
    thread.release();  // kept for the rest of the process
    return true;
}

}  // namespace

HelperThreads::HelperThreads(int most) : mMost(most > 0 ? most : 0) {}

HelperThreads::~HelperThreads() { WaitForHelpers(); }

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
    auto helper = [this, cpu, work = std::move(work)]() mutable {
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        work = nullptr;  // what it holds ends before the caller may go on
        std::lock_guard<std::mutex> ended(mMutex);
        if (failure && !mFailure) {
            mFailure = failure;
        }
        --mRunning;
        mStartedOn.erase(std::find(mStartedOn.begin(), mStartedOn.end(), cpu));
        mChanged.notify_all();
    };
    if (KeptThreads::Shared().Run(std::move(helper), usable, cpu)) {
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
    WaitForHelpers();
    std::exception_ptr failure;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        failure = std::exchange(mFailure, nullptr);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void HelperThreads::WaitForHelpers() {
    std::unique_lock<std::mutex> lock(mMutex);
    mChanged.wait(lock, [this] { return mRunning == 0; });
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
