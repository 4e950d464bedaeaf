#include "engine/searchrun.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/routesearch.h"
#include "engine/routesrchinterface.h"

namespace RSIF {
namespace {

constexpr auto kReportInterval = std::chrono::milliseconds(50);
// The landmarks cost about as much as 20 searches and save most of every search after.
constexpr int kSearchesWorthLandmarks = 40;

void Search(SfRouteSearch& search, typDRFInf& record) {
    const int code = search.SearchRoute(record.StartName, record.EndName, record.ViaNames,
                                        record.RouteNames, record.Distance);
    record.Failed = code != SfNodes::srFound;
}

// Hands out the instructions in list order to the workers and counts what they finish.
class ParallelRun {
public:
    explicit ParallelRun(int count) : mCount(count) {}

    // A failure (memory running out) stops the run; Rethrow passes it on.
    void Work(const SfNodes& nodes, tqList<typDRFInf>& list) {
        try {
            SfRouteSearch search(nodes);
            // An instruction taken is searched, so a stopped run has searched the first ones.
            while (!mStop) {
                const int i = mNext++;
                if (i >= mCount) {
                    break;
                }
                Search(search, *list.Get(i));
                std::lock_guard<std::mutex> lock(mMutex);
                ++mFinished;
                mChanged.notify_one();
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(mMutex);
            mFailure = std::current_exception();
            mStop = true;
        }
        std::lock_guard<std::mutex> lock(mMutex);
        ++mWorkersDone;
        mChanged.notify_one();
    }

    void Rethrow() {
        if (mFailure) {
            std::rethrow_exception(mFailure);
        }
    }

    // Reports until every worker has stopped; gives the number finished.
    int Watch(int workers, const std::function<bool(int)>& report) {
        std::unique_lock<std::mutex> lock(mMutex);
        while (mWorkersDone < workers) {
            mChanged.wait_for(lock, kReportInterval);
            const int finished = mFinished;
            lock.unlock();
            if (!report(finished)) {
                mStop = true;
            }
            lock.lock();
        }
        return mFinished;
    }

private:
    const int mCount;
    std::atomic<int> mNext{0};
    std::atomic<bool> mStop{false};
    std::mutex mMutex;
    std::condition_variable mChanged;
    int mFinished = 0;
    int mWorkersDone = 0;
    std::exception_ptr mFailure;
};

}  // namespace

int DefaultThreadCount() {
    // The CPUs this process may run on (taskset, a container's CPU set), not all there are.
    cpu_set_t usable;
    CPU_ZERO(&usable);
    if (::sched_getaffinity(0, sizeof usable, &usable) == 0 && CPU_COUNT(&usable) > 0) {
        return CPU_COUNT(&usable);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

int SearchAllDRF(int threads, const std::function<bool(int finished)>& report) {
    SfNodes& nodes = GetNodes();
    tqList<typDRFInf>& list = GetDRFList();
    const int count = list.Count();
    nodes.SortLinks();  // before any thread reads the network
    if (count >= kSearchesWorthLandmarks) {
        nodes.PrepareLandmarks(threads);
    }
    threads = std::clamp(threads, 1, std::max(count, 1));
    if (threads == 1) {
        SfRouteSearch search(nodes);
        for (int i = 0; i < count; ++i) {
            Search(search, *list.Get(i));
            if (!report(i + 1)) {
                return i + 1;
            }
        }
        if (count == 0) {
            report(0);
        }
        return count;
    }
    ParallelRun run(count);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] { run.Work(nodes, list); });
    }
    const int finished = run.Watch(threads, report);
    for (std::thread& worker : workers) {
        worker.join();
    }
    run.Rethrow();
    report(finished);
    return finished;
}

}  // namespace RSIF
