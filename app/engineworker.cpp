#include "app/engineworker.h"

#include <QMetaObject>

#include <new>

// Reports the engine's progress to the window's display through posted steps, and stops
// the engine once asked.
class EngineWorker::PostingDisplay final : public ProgressDisplay {
public:
    PostingDisplay(const EngineWorker& worker, ProgressDisplay& view)
        : mWorker(worker), mView(view) {}
    void Begin() override {
        mPercent = 0;
        mWorker.Post([this] { mView.Begin(); });
    }
    void SetPosition(int percent) override {
        if (percent != mPercent) {  // a step for each change, not for each call
            mPercent = percent;
            mWorker.Post([this, percent] { mView.SetPosition(percent); });
        }
    }
    void ProcessEvents() override {
        if (mWorker.StopAsked()) {
            throw WorkStopped{};
        }
    }
    void End() override {
        mWorker.Post([this] { mView.End(); });
    }
    bool StopAsked() const override { return mWorker.StopAsked(); }

private:
    const EngineWorker& mWorker;
    ProgressDisplay& mView;
    int mPercent = 0;
};

EngineWorker::EngineWorker(QObject* receiver, ProgressDisplay& view)
    : mReceiver(receiver), mDisplay(std::make_unique<PostingDisplay>(*this, view)) {}

ProgressDisplay* EngineWorker::Display() { return mDisplay.get(); }

EngineWorker::~EngineWorker() {
    Stop();
    mThread.reset();  // joins a job that is still ending
}

bool EngineWorker::Start(std::function<void()> job, std::function<void(Ending)> done) {
    if (mRunning) {
        return false;
    }
    mRunning = true;
    mStopAsked = false;
    auto run = [this, job = std::move(job), done = std::move(done)] {
        Ending ending = weFinished;
        try {
            job();
        } catch (const WorkStopped&) {
            ending = weStopped;
        } catch (const std::bad_alloc&) {
            ending = weOutOfMemory;
        }
        Post([this, done, ending] {
            mRunning = false;
            done(ending);
        });
    };
    mThread = std::make_unique<HelperThreads>(1);  // the last job's thread has ended: joined
    if (!mThread->Start(run)) {
        run();  // no thread to be had: the window waits this once
    }
    return true;
}

void EngineWorker::Post(std::function<void()> step) const {
    QMetaObject::invokeMethod(mReceiver, std::move(step), Qt::QueuedConnection);
}
