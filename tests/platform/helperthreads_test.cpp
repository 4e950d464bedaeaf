#include "platform/helperthreads.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "tests/support/unprivileged.h"

namespace {

// How often each of `tasks` tasks ran under RunSideBySide with `threads`, and on how many
// threads other than this one.
struct Runs {
    std::vector<int> perTask;
    int elsewhere = 0;
};

Runs RunAll(size_t tasks, int threads) {
    Runs runs;
    std::vector<std::atomic<int>> counts(tasks);
    std::atomic<int> elsewhere{0};
    const std::thread::id here = std::this_thread::get_id();
    RunSideBySide(tasks, threads, [&](size_t k) {
        ++counts[k];
        elsewhere += std::this_thread::get_id() != here ? 1 : 0;
    });
    for (const std::atomic<int>& count : counts) {
        runs.perTask.push_back(count);
    }
    runs.elsewhere = elsewhere;
    return runs;
}

TEST(HelperThreadsTest, EveryTaskRunsOnceWhateverTheThreads) {
    for (int threads = 1; threads <= 4; ++threads) {
        for (size_t tasks = 0; tasks <= 6; ++tasks) {
            const Runs runs = RunAll(tasks, threads);
            EXPECT_EQ(runs.perTask, std::vector<int>(tasks, 1)) << threads << " " << tasks;
            EXPECT_EQ(runs.elsewhere > 0, threads > 1 && tasks > 1) << threads << " " << tasks;
        }
    }
}

TEST(HelperThreadsTest, AFailureIsThrownOnceEveryTaskHasEnded) {
    for (const size_t failing : {size_t{0}, size_t{2}}) {
        std::atomic<int> ended{0};
        EXPECT_THROW(RunSideBySide(4, 3,
                                   [&](size_t k) {
                                       ++ended;
                                       if (k == failing) {
                                           throw std::runtime_error("task failed");
                                       }
                                   }),
                     std::runtime_error);
        EXPECT_EQ(ended, 4) << failing;
    }
}

TEST(HelperThreadsTest, WithoutThreadsToBeHadTheWorkRunsHere) {
    // A user allowed one process can start no thread: every task runs on this thread.
    const int outcome = RunUnprivileged([] {
        const rlimit one{1, 1};
        if (::setrlimit(RLIMIT_NPROC, &one) != 0) {
            return 10;
        }
        HelperThreads helpers(2);
        if (helpers.Start([] {})) {
            return 11;  // the limit does not hold here: nothing is tested
        }
        const Runs runs = RunAll(5, 4);
        if (runs.perTask != std::vector<int>(5, 1) || runs.elsewhere != 0) {
            return 12;
        }
        int ranHere = 0;
        helpers.Run([&ranHere] { ++ranHere; });
        helpers.Wait();
        return ranHere == 1 ? 0 : 13;
    });
    ASSERT_NE(outcome, 11) << "the process limit did not stop threads";
    EXPECT_EQ(outcome, 0);
}

TEST(HelperThreadsTest, HelpersMayRunOnEveryCpuTheirStarterMayWhereverTheyStarted) {
    cpu_set_t starter;
    ASSERT_EQ(::sched_getaffinity(0, sizeof starter, &starter), 0);
    // Three at once: on two CPUs the first starts on the other one, the second on this one,
    // the third anywhere.
    constexpr int kHelpers = 3;
    std::vector<cpu_set_t> seen(kHelpers);
    std::atomic<int> waiting{kHelpers};
    {
        HelperThreads helpers(kHelpers);
        for (int k = 0; k < kHelpers; ++k) {
            ASSERT_TRUE(helpers.Start([&, k] {
                --waiting;
                while (waiting > 0) {  // all running at once, each on the CPU it was given
                    std::this_thread::yield();
                }
                ::sched_getaffinity(0, sizeof seen[k], &seen[k]);
            }));
        }
        helpers.Wait();
    }
    for (int k = 0; k < kHelpers; ++k) {
        EXPECT_TRUE(CPU_EQUAL(&seen[k], &starter)) << k;
    }
}

// The kernel's number of the calling thread: a new thread gets a new one.
pid_t ThreadNumber() { return static_cast<pid_t>(::syscall(SYS_gettid)); }

TEST(HelperThreadsTest, LaterHelpersRunOnTheThreadsOfEarlierOnes) {
    std::set<pid_t> threads;
    std::mutex mutex;
    for (int group = 0; group < 20; ++group) {
        RunSideBySide(3, 3, [&](size_t) {
            const std::lock_guard<std::mutex> lock(mutex);
            threads.insert(ThreadNumber());
        });
    }
    // This one and the two helpers of the first group, and a few more when a helper had
    // not yet begun to wait for more when the next group began.
    EXPECT_LT(threads.size(), 10u);
}

TEST(HelperThreadsTest, AChildProcessStartsHelpersOfItsOwn) {
    RunAll(2, 2);  // a kept helper waits in this process
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10);  // a task handed to a thread the child does not have would never end
        const Runs runs = RunAll(4, 2);
        ::_exit(runs.perTask == std::vector<int>(4, 1) && runs.elsewhere > 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(HelperThreadsTest, TheDefaultThreadCountFollowsTheCpusTheProcessMayUse) {
    cpu_set_t before;
    ASSERT_EQ(::sched_getaffinity(0, sizeof before, &before), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(::sched_getcpu(), &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(DefaultThreadCount(), 1);
    ASSERT_EQ(::sched_setaffinity(0, sizeof before, &before), 0);
    EXPECT_EQ(DefaultThreadCount(), CPU_COUNT(&before));
}

}  // namespace
