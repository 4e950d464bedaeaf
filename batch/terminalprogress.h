// The batch tool's progress display: one line on standard error, redrawn in place.
#pragma once

#include <cstdio>

#include "engine/progress.h"

// Writes only when the text changes: a run reports the same percentage many times.
class TerminalProgress final : public ProgressDisplay {
public:
    explicit TerminalProgress(FILE* to = stderr) : mTo(to) {}
    void Begin() override;
    void SetPosition(int percent) override;
    void ProcessEvents() override {}
    void End() override;

private:
    FILE* mTo;
    int mShown = -1;  // the percentage on the line, -1 for none
};
