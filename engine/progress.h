// The progress display as the engine sees it: four operations, implemented by the window
// with its progress bar and by the batch tool with a terminal line.
#pragma once

#include <cstdint>
#include <functional>

// Thrown by a display (from ProcessEvents) to stop the work under way: a map load or an
// instruction load then ends leaving the engine as it was before it began.
struct WorkStopped {};

class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    // Hides the result grid and shows the bar at position 0.
    virtual void Begin() = 0;
    // Moves the bar to `percent` (0..99).
    virtual void SetPosition(int percent) = 0;
    // Lets pending window events run; may throw WorkStopped.
    virtual void ProcessEvents() = 0;
    // Hides the bar.
    virtual void End() = 0;
    // Whether the work is to stop, as ProcessEvents would say by throwing WorkStopped; asked
    // from any thread, by work that runs beside the one that reports.
    virtual bool StopAsked() const { return false; }
};

// Runs `work` on a helper thread while this thread lets the display's events run, for a
// long step with no items to count; without a display it simply runs `work`. An exception
// `work` throws is thrown here.
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
