// The batch tool's progress display: one line on standard error, redrawn in place.
#pragma once

#include "engine/progress.h"

class TerminalProgress final : public ProgressDisplay {
public:
    void Begin() override;
    void SetPosition(int percent) override;
    void ProcessEvents() override {}
    void End() override;
};
