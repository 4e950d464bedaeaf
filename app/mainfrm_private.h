// Pieces of TMainForm shared by its command files.
#pragma once

#include <QProgressBar>

#include "app/mainfrm.h"
#include "data/tqlist.h"
#include "engine/routesrchinterface.h"

// The window's progress display: the bar and its label over the hidden result grid.
class TMainForm::Progress final : public ProgressDisplay {
public:
    explicit Progress(TMainForm& form) : mForm(form) {}
    void Begin() override {
        mForm.ResultGrid->hide();
        mForm.ShowProgress(true);
        mForm.ProgressBar->setValue(0);
    }
    void SetPosition(int percent) override { mForm.ProgressBar->setValue(percent); }
    // The engine runs on the worker, whose own display is the one asked to let events run.
    void ProcessEvents() override {}
    void End() override { mForm.ShowProgress(false); }

private:
    TMainForm& mForm;
};

// Ends the window's work when it goes: the outcome is applied first, while the other
// commands are still refused.
class TMainForm::EndWorkScope {
public:
    explicit EndWorkScope(TMainForm& form) : mForm(form) {}
    ~EndWorkScope() { mForm.EndWork(); }
    EndWorkScope(const EndWorkScope&) = delete;
    EndWorkScope& operator=(const EndWorkScope&) = delete;

private:
    TMainForm& mForm;
};
