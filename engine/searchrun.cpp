#include "engine/searchrun.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <numeric>
#include <span>
#include <vector>

#include "engine/routesearch.h"
#include "engine/routesrchinterface.h"
#include "platform/helperthreads.h"

namespace RSIF {
namespace {

constexpr auto kReportInterval = std::chrono::milliseconds(50);
// The landmarks cost about as much as 20 searches and save most of every search after.
constexpr int kSearchesWorthLandmarks = 40;
// More landmarks bound each search better, each at the cost of passes over the map and more
// memory: 16 pay from some thousands of searches on (a third less time a search on a
// city's roads), 8 where the map has no more than ten nodes a search (the passes are short
// beside the searches: a town's roads, a small grid).
int LandmarkCount(int searches, int32_t nodes) {
    if (searches >= 4000) {
        return 16;
    }
    return nodes <= int64_t{10} * searches ? 8 : 4;
}
// A hierarchy makes a search on a city's roads or a grid about three times cheaper than one
// guided by landmarks, and costs about as much as 5,000 of those to build on a city's roads;
// built beside the searches, it pays from some 20,000 searches on. Its cost grows faster
// than the map on large grids (70 us a node on a million nodes, 21 on New York's 264,000):
// it is built only where there are at least a fifth as many searches as nodes.
constexpr int kSearchesWorthHierarchy = 20000;
constexpr int kNodesPerSearchAtMost = 5;
// What a search guided by landmarks costs, a node of the map (5 ns on New York's roads, 7 on
// a grid, on one core).
constexpr double kLandmarkSecondsPerNode = 5e-9;
// What a search up a hierarchy costs, a node of the map (0.4 ms on New York's roads, on one
// core), whatever the route's length: searches of short routes guided by landmarks cost less.
constexpr double kHierarchySecondsPerNode = 1.5e-9;

// Whether the build of a hierarchy should go on: not once it has taken 70 % of the time the
// searches would save by it (finished later, it no longer pays), on a map whose hierarchy
// costs far more than a road map's, or for searches cheaper than a hierarchy's. A search's
// cost is estimated from the map's size until searches beside the build have measured it.
class HierarchyBudget {
public:
    HierarchyBudget(int searches, int32_t nodes, int threads)
        : mStart(std::chrono::steady_clock::now()),
          mSearches(searches),
          mThreads(threads),
          mSecondsPerSearch(kLandmarkSecondsPerNode * nodes),
          mHierarchyPerSearch(kHierarchySecondsPerNode * nodes) {}
    // `finished` searches have ended on `searching` threads beside the build.
    bool Left(int finished = 0, int searching = 0) const {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - mStart).count();
        const double perSearch = finished >= kSearchesMeasured && searching > 0
                                     ? elapsed * searching / finished
                                     : mSecondsPerSearch;
        return elapsed < kShare * (perSearch - mHierarchyPerSearch) * mSearches / mThreads;
    }

private:
    static constexpr int kSearchesMeasured = 50;
    static constexpr double kShare = 0.7;
    std::chrono::steady_clock::time_point mStart;
    int mSearches;
    int mThreads;
    double mSecondsPerSearch;    // guided by landmarks, estimated
    double mHierarchyPerSearch;  // up the hierarchy, estimated
};
// An unguided pass from a start costs about as much as 15 searches guided to their ends.
constexpr int32_t kSharedStartSearches = 16;
constexpr int32_t kSharedEndsPerJob = 256;

void Search(SfRouteSearch& search, typDRFInf& record) {
    const int code = search.SearchRoute(record.StartName, record.EndName, record.ViaNames,
                                        record.RouteNames, record.Distance);
    record.Failed = code != SfNodes::srFound;
}

// The instructions cut into jobs: one for each instruction, but one for instructions with
// the same start where there are enough of them (no via points, a map without negative
// distances), which then share one pass; up to kSharedEndsPerJob of them. Jobs come in the
// order of their first instruction.
class JobList {
public:
    JobList(const SfNodes& nodes, tqList<typDRFInf>& list) {
        const int count = list.Count();
        std::vector<int32_t> startOf(count, SfNodeNames::kNone);
        if (!nodes.HasNegativeLink()) {
            for (int i = 0; i < count; ++i) {
                if (list.Get(i)->ViaNames.Count() == 0) {
                    startOf[i] = nodes.FindNode(list.Get(i)->StartName);
                }
            }
        }
        // Instructions by start, each start's in list order; the jobs are ranges of it.
        mMembers.resize(count);
        std::iota(mMembers.begin(), mMembers.end(), 0);
        std::stable_sort(mMembers.begin(), mMembers.end(),
                         [&](int32_t a, int32_t b) { return startOf[a] < startOf[b]; });
        const auto members = static_cast<int32_t>(count);
        for (int32_t g = 0; g < members;) {
            const int32_t start = startOf[mMembers[g]];
            int32_t end = g + 1;
            while (end < members && startOf[mMembers[end]] == start) {
                ++end;
            }
            if (start == SfNodeNames::kNone || end - g < kSharedStartSearches) {
                for (int32_t k = g; k < end; ++k) {
                    mJobs.push_back({k, k + 1});
                }
            } else {
                // Even jobs, so that the run can stop and report between them.
                const int32_t jobs = (end - g + kSharedEndsPerJob - 1) / kSharedEndsPerJob;
                const int32_t size = (end - g + jobs - 1) / jobs;
                for (int32_t k = g; k < end; k += size) {
                    mJobs.push_back({k, std::min(k + size, end)});
                }
                mShared += end - g;
            }
            g = end;
        }
        std::sort(mJobs.begin(), mJobs.end(), [this](const Job& a, const Job& b) {
            return mMembers[a.begin] < mMembers[b.begin];
        });
    }

    int Count() const { return static_cast<int>(mJobs.size()); }
    // Instructions that are searched one by one.
    int Single() const { return static_cast<int>(mMembers.size()) - mShared; }
    std::span<const int32_t> Members(int job) const {
        return std::span(mMembers).subspan(mJobs[job].begin, mJobs[job].end - mJobs[job].begin);
    }

    // Searches the job's instructions and stores each outcome in its record.
    void Run(int job, SfRouteSearch& search, tqList<typDRFInf>& list) const {
        const std::span<const int32_t> members = Members(job);
        if (members.size() == 1) {
            Search(search, *list.Get(members[0]));
            return;
        }
        std::vector<SfRouteSearch::SharedEnd> ends;
        ends.reserve(members.size());
        for (const int32_t i : members) {
            typDRFInf& record = *list.Get(i);
            ends.push_back({&record.EndName, &record.RouteNames, &record.Distance, 0});
        }
        search.SearchRoutesFrom(list.Get(members[0])->StartName, ends);
        for (size_t k = 0; k < members.size(); ++k) {
            list.Get(members[k])->Failed = ends[k].result != SfNodes::srFound;
        }
    }

private:
    struct Job {
        int32_t begin;  // in mMembers
        int32_t end;
    };
    std::vector<Job> mJobs;
    std::vector<int32_t> mMembers;  // the jobs' instructions, job after job
    int mShared = 0;
};

// The number of instructions, from the first, whose jobs have all ended.
class FinishedPrefix {
public:
    explicit FinishedPrefix(int count) : mDone(count, false) {}
    int Mark(std::span<const int32_t> members) {
        for (const int32_t i : members) {
            mDone[i] = true;
        }
        while (mPrefix < static_cast<int>(mDone.size()) && mDone[mPrefix]) {
            ++mPrefix;
        }
        return mPrefix;
    }
    int Count() const { return mPrefix; }

private:
    std::vector<bool> mDone;
    int mPrefix = 0;
};

// Hands out the jobs in order to the workers and counts what they finish.
class ParallelRun {
public:
    ParallelRun(const JobList& jobs, int count, const std::function<void(int)>& along)
        : mJobs(jobs), mFinished(count), mAlong(along) {}

    // Does `first`, when given, then searches. A failure (memory running out) stops the
    // run; Rethrow passes it on.
    void Work(const SfNodes& nodes, tqList<typDRFInf>& list,
              const std::function<void()>& first = {}) {
        try {
            if (first) {
                first();
            }
            SfRouteSearch search(nodes);
            // A job taken is done whole, so a stopped run has searched the first ones.
            while (!mStop) {
                const int job = mNext++;
                if (job >= mJobs.Count()) {
                    break;
                }
                mJobs.Run(job, search, list);
                std::unique_lock<std::mutex> lock(mMutex);
                mFinished.Mark(mJobs.Members(job));
                GoAlong(lock);
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

    // Runs `along` for the searches finished from the first, unless another worker does:
    // that one takes up what finishes meanwhile, and this one goes back to searching.
    void GoAlong(std::unique_lock<std::mutex>& lock) {
        while (mAlong && !mAlongBusy && mFinished.Count() > mAlongDone) {
            mAlongBusy = true;
            const int finished = mFinished.Count();
            lock.unlock();
            mAlong(finished);  // what it throws ends the run, with nothing run beside it
            lock.lock();
            mAlongDone = finished;
            mAlongBusy = false;
        }
    }

    bool Stopped() const { return mStop; }
    int Finished() {
        std::lock_guard<std::mutex> lock(mMutex);
        return mFinished.Count();
    }
    // Whether some job is still to be taken.
    bool JobsLeft() const { return mNext < mJobs.Count(); }

    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mMutex); }

    void Rethrow() {
        if (mFailure) {
            std::rethrow_exception(mFailure);
        }
    }

    // Reports every interval until every worker has stopped; gives the number finished. A
    // finished job does not wake this thread: on a busy machine the wakings of a thousand
    // short searches would take the workers' time.
    int Watch(int workers, const std::function<bool(int)>& report) {
        std::unique_lock<std::mutex> lock(mMutex);
        while (mWorkersDone < workers) {
            mChanged.wait_for(lock, kReportInterval);
            const int finished = mFinished.Count();
            lock.unlock();
            if (!report(finished)) {
                mStop = true;
            }
            lock.lock();
        }
        return mFinished.Count();
    }

private:
    const JobList& mJobs;
    std::atomic<int> mNext{0};
    std::atomic<bool> mStop{false};
    std::mutex mMutex;
    std::condition_variable mChanged;
    FinishedPrefix mFinished;
    int mWorkersDone = 0;
    std::exception_ptr mFailure;
    const std::function<void(int)>& mAlong;
    bool mAlongBusy = false;  // a worker runs mAlong
    int mAlongDone = 0;       // the searches mAlong has had
};

// The jobs one after the other on this thread, `along` and `report` after each.
int SearchInOrder(const JobList& jobs, const SfNodes& nodes, tqList<typDRFInf>& list,
                  const std::function<bool(int finished)>& report,
                  const std::function<void(int finished)>& along) {
    const int count = list.Count();
    if (count == 0) {
        report(0);
        return 0;  // no search's working memory taken: on a large map it costs page faults
    }
    SfRouteSearch search(nodes);
    FinishedPrefix finished(count);
    int told = 0;
    for (int job = 0; job < jobs.Count(); ++job) {
        jobs.Run(job, search, list);
        const int now = finished.Mark(jobs.Members(job));
        if (along && now > told) {
            along(now);
            told = now;
        }
        if (!report(now) && job + 1 < jobs.Count()) {
            return now;
        }
    }
    return count;
}

}  // namespace

int SearchAllDRF(int threads, const std::function<bool(int finished)>& report,
                 const std::function<void()>& prepared,
                 const std::function<void(int finished)>& along) {
    SfNodes& nodes = GetNodes();
    tqList<typDRFInf>& list = GetDRFList();
    const int count = list.Count();
    nodes.SortLinks(threads);  // before any thread reads the network
    const JobList jobs(nodes, list);
    threads = std::clamp(threads, 1, std::max(jobs.Count(), 1));
    const bool hierarchy = jobs.Single() >= kSearchesWorthHierarchy &&
                           int64_t{jobs.Single()} * kNodesPerSearchAtMost >= nodes.GetCount() &&
                           nodes.HierarchyFits();
    const HierarchyBudget budget(jobs.Single(), nodes.GetCount(), threads);
    // A hierarchy of an earlier run on this map leaves the landmarks nothing to do.
    int landmarks = jobs.Single() >= kSearchesWorthLandmarks && !nodes.Hierarchy().Ready()
                        ? LandmarkCount(jobs.Single(), nodes.GetCount())
                        : 0;
    // The preparation counts as the first moments of the run: it may be stopped too. On one
    // thread the hierarchy comes first and, once built, leaves the landmarks nothing to do.
    if (hierarchy && threads == 1) {
        bool stopped = false;
        if (nodes.PrepareHierarchy([&] {
                stopped = stopped || !report(0);
                return !stopped && budget.Left();
            })) {
            landmarks = 0;
        } else if (stopped) {
            return 0;
        }
    }
    // Where landmarks are left for later, one worker measures them while the others search:
    // the searches need not wait for the last ones. Then it builds the hierarchy, which the
    // searches take up once it is ready.
    if (landmarks > 0 && !nodes.PrepareLandmarks(
                             threads, landmarks, [&report] { return report(0); }, threads > 1)) {
        return 0;
    }
    if (prepared) {
        prepared();
    }
    if (threads == 1) {
        return SearchInOrder(jobs, nodes, list, report, along);
    }
    ParallelRun run(jobs, count, along);
    HelperThreads workers(threads);
    int started = 0;
    const auto measureRest = [&nodes, &run, &budget, landmarks, hierarchy, threads] {
        // What no search would read is not made.
        const auto goOn = [&run] { return !run.Stopped() && run.JobsLeft(); };
        nodes.MeasureRestOfLandmarks(landmarks, goOn);
        if (hierarchy) {
            // The other workers search meanwhile, guided by landmarks.
            nodes.PrepareHierarchy(
                [&] { return goOn() && budget.Left(run.Finished(), threads - 1); });
        }
    };
    while (started < threads && workers.Start([&, first = started == 0] {
        run.Work(nodes, list, first ? measureRest : std::function<void()>());
    })) {
        ++started;
    }
    if (started == 0) {  // no thread to be had
        if (!nodes.MeasureRestOfLandmarks(landmarks, [&report] { return report(0); })) {
            return 0;
        }
        return SearchInOrder(jobs, nodes, list, report, along);
    }
    const int finished = run.Watch(started, report);
    workers.Wait();
    run.Rethrow();
    std::unique_lock<std::mutex> lock = run.Lock();
    run.GoAlong(lock);  // what finished while a worker ran `along` for earlier searches
    lock.unlock();
    report(finished);
    return finished;
}

}  // namespace RSIF
