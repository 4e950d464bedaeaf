// Pieces of TMainForm shared by its command files.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>

#include "app/mainfrm.h"
#include "data/tqlist.h"
#include "engine/routesrchinterface.h"

// Writes an instruction's row before its search: the record in column 0's object slot, the
// search name and the two node names; the other cells empty.
void WriteInstructionRow(tqGrid& grid, int row, RSIF::typDRFInf& record);

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
    // A round of events takes a while even with none waiting: the loaders ask for one every
    // tenth row, and one every few milliseconds keeps the window just as lively.
    void ProcessEvents() override {
        if (!mSinceEvents.isValid() || mSinceEvents.hasExpired(kEventRoundMs)) {
            QApplication::processEvents();
            mSinceEvents.start();
        }
    }
    void End() override { mForm.ShowProgress(false); }

private:
    static constexpr qint64 kEventRoundMs = 10;
    TMainForm& mForm;
    QElapsedTimer mSinceEvents;
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
