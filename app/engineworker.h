// EngineWorker: the window's long operations (loads, the search run with its preparation,
// saves) on a thread of their own. The window's thread only starts them, shows the progress
// they post and applies their results; it never waits for them.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

#include "engine/progress.h"
#include "platform/helperthreads.h"

class EngineWorker final {
public:
    // How a job ended.
    enum Ending { weFinished, weStopped, weOutOfMemory };

    // Progress and results go to the thread of `receiver` (the window, which owns the worker
    // and so outlives it), through `view`, the window's own progress display, which must
    // outlive the worker too.
    EngineWorker(QObject* receiver, ProgressDisplay& view);
    // Stops the job under way and waits for it: only when the window goes.
    ~EngineWorker();
    EngineWorker(const EngineWorker&) = delete;
    EngineWorker& operator=(const EngineWorker&) = delete;

    // Runs `job` on the worker's thread, then `done` on the receiver's thread (not when the
    // receiver has gone meanwhile). When no thread can be started the job runs on this thread
    // at once. A job may throw WorkStopped or std::bad_alloc: `done` hears which. False, with
    // nothing started, while another job runs.
    bool Start(std::function<void()> job, std::function<void(Ending)> done);
    // From Start until `done` has run.
    bool IsRunning() const { return mRunning; }
    // Asks the job under way to stop: the engine's next round of events throws WorkStopped.
    void Stop() { mStopAsked = true; }
    bool StopAsked() const { return mStopAsked; }

    // The display the engine reports to from the job.
    ProgressDisplay* Display();
    // From the job: runs `step` on the receiver's thread, later.
    void Post(std::function<void()> step) const;

private:
    class PostingDisplay;

    QObject* mReceiver;
    std::unique_ptr<PostingDisplay> mDisplay;
    std::atomic<bool> mStopAsked{false};
    bool mRunning = false;
    std::unique_ptr<HelperThreads> mThread;
};
