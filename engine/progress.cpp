#include "engine/progress.h"

#include <algorithm>
#include <chrono>

#include "platform/helperthreads.h"

ProgressRun::ProgressRun(ProgressDisplay* display, int64_t total)
    : mDisplay(display), mTotal(total) {
    if (mDisplay) {
        mDisplay->Begin();
        try {
            mDisplay->ProcessEvents();
        } catch (const WorkStopped&) {
            mDisplay->End();  // no destructor runs for a run that never began
            throw;
        }
    }
}

ProgressRun::~ProgressRun() {
    if (mDisplay) {
        mDisplay->End();
        try {
            mDisplay->ProcessEvents();
        } catch (const WorkStopped&) {  // a display that stops work says so at every round
        }
    }
}

void ProgressRun::Item(int64_t i) {
    if (mDisplay && i % 10 == 0 && mTotal > 0) {
        mDisplay->SetPosition(static_cast<int>(i * 100 / mTotal));
        mDisplay->ProcessEvents();
    }
}

void ProgressRun::Part(uint64_t done, uint64_t total) {
    if (mDisplay && total > 0) {
        mDisplay->SetPosition(static_cast<int>(std::min<uint64_t>(done * 100 / total, 99)));
        mDisplay->ProcessEvents();
    }
}

void RunBeside(ProgressDisplay* display, const std::function<void()>& work) {
    constexpr std::chrono::milliseconds kEventRound{20};
    HelperThreads helper(1);
    if (display == nullptr || !helper.Start(work)) {
        work();
        return;
    }
    while (!helper.EndedWithin(kEventRound)) {
        display->ProcessEvents();
    }
    helper.Wait();  // rethrows what `work` threw
}
