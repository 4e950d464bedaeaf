#include "engine/progress.h"

ProgressRun::ProgressRun(ProgressDisplay* display, int64_t total)
    : mDisplay(display), mTotal(total) {
    if (mDisplay) {
        mDisplay->Begin();
        mDisplay->ProcessEvents();
    }
}

ProgressRun::~ProgressRun() {
    if (mDisplay) {
        mDisplay->End();
        mDisplay->ProcessEvents();
    }
}

void ProgressRun::Item(int64_t i) {
    if (mDisplay && i % 10 == 0 && mTotal > 0) {
        mDisplay->SetPosition(static_cast<int>(i * 100 / mTotal));
        mDisplay->ProcessEvents();
    }
}
