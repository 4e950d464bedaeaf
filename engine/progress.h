// The progress display as the engine sees it: four operations, implemented by the batch
// tool with a terminal line, and for the window by its worker (app/engineworker), which
// posts each step to the window's thread, where the progress bar shows it. The engine runs
// on the worker there, never on the window's thread.
#pragma once

#include <cstdint>
#include <functional>

// Thrown by a display (from ProcessEvents) to stop the work under way: a map load or an
// instruction load then ends leaving the engine as it was before it began; a search run
// ends after the searches under way.
struct WorkStopped {};

class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    // A pass begins: the bar at position 0 (the window hides its result grid for it).
    virtual void Begin() = 0;
    // Moves the bar to `percent` (0..99).
    virtual void SetPosition(int percent) = 0;
    // A round of events between items: throws WorkStopped once the work is to stop.
    virtual void ProcessEvents() = 0;
    // Hides the bar.
    virtual void End() = 0;
    // Whether the work is to stop, as ProcessEvents would say by throwing WorkStopped; asked
    // from any thread, by work that runs beside the one that reports.
    virtual bool StopAsked() const { return false; }
};

// Runs `work` on a helper thread while this thread holds the display's rounds of events (and
// so hears a stop at once), for a long step with no items to count; without a display it
// simply runs `work`. An exception `work` throws is thrown here; a stop is thrown once
// `work` has ended, which should ask StopAsked itself to end early.
void RunBeside(ProgressDisplay* display, const std::function<void()>& work);

// One pass over `total` items with the shared rhythm: begin, then at every tenth item the
// position i * 100 / total and a round of pending events, then end. A null display is
// allowed and shows nothing.
class ProgressRun {
public:
    ProgressRun(ProgressDisplay* display, int64_t total);
    ~ProgressRun();
    ProgressRun(const ProgressRun&) = delete;
    ProgressRun& operator=(const ProgressRun&) = delete;

    // Reports item `i` (counted as its caller counts it).
    void Item(int64_t i);
    // Reports that `done` of `total` is done, for a pass counted in other units than its
    // items (the bytes of a file): the position done * 100 / total (at most 99) and a
    // round of events.
    void Part(uint64_t done, uint64_t total);

private:
    ProgressDisplay* mDisplay;
    int64_t mTotal;
};
