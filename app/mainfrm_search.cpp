// The search run and the colours and positions of the result rows.
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <memory>
#include <string>

#include "app/mainfrm_private.h"
#include "app/resultrows.h"
#include "data/formattext.h"
#include "data/messagebox.h"
#include "data/systemtext.h"
#include "engine/readfailure.h"
#include "engine/resultfile.h"
#include "engine/routesrchinterface.h"
#include "engine/searchrun.h"
#include "grid/resultgrid.h"
#include "platform/helperthreads.h"

namespace {

constexpr TColor kGreen = 0x80FF00;      // RGB 0, 255, 128
constexpr TColor kLightCyan = 0xFFFF80;  // RGB 128, 255, 255

constexpr std::chrono::milliseconds kCountInterval{250};

// Until the first search: the network laid out for searching, the landmarks measured, and
// on one thread a hierarchy built.
QString PrepareNote() { return QStringLiteral("検索の準備をしています。Escキーで中止できます。"); }

QString SearchNote(int finished, int count) {
    return QStringLiteral("検索を実行しています（%1／%2件）。Escキーで中止できます。")
        .arg(finished)
        .arg(count);
}

}  // namespace

void TMainForm::SearchBtnClick() {
    if (Refused(SearchBtn)) {
        return;
    }
    BeginWork(wkSearch, PrepareNote());
    ResultGrid->hide();
    ShowProgress(true);
    SearchBtn->setEnabled(false);
    ResultPreservBtn->setEnabled(false);
    ProgressBar->setValue(0);
    auto rows = std::make_shared<std::shared_ptr<ResultRows>>();
    mWorker->Start(
        [this, rows] {
            tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
            const int count = std::max(list.Count(), 1);
            int shown = 0;
            int counted = -1;
            bool prepared = false;
            auto countedAt = std::chrono::steady_clock::now();
            const int searched = RSIF::SearchAllDRF(
                DefaultThreadCount(),
                [&](int finished) {
                    const int percent = static_cast<int>(int64_t{finished} * 100 / count);
                    if (percent != shown) {
                        shown = percent;
                        mWorker->Post([this, percent] { ProgressBar->setValue(percent); });
                    }
                    // A percent of a million searches takes a while: the count goes on
                    // meanwhile.
                    const auto now = std::chrono::steady_clock::now();
                    if (prepared && finished != counted && now - countedAt >= kCountInterval) {
                        counted = finished;
                        countedAt = now;
                        mWorker->Post(
                            [this, finished, count] { NoteWork(SearchNote(finished, count)); });
                    }
                    return !mWorker->StopAsked();
                },
                [&] {
                    prepared = true;
                    mWorker->Post([this, instructions = list.Count()] {
                        NoteWork(SearchNote(0, instructions));
                    });
                });
            *rows = std::make_shared<ResultRows>(list, searched);
        },
        [this, rows](EngineWorker::Ending ending) { SearchEnded(ending, *rows); });
}

void TMainForm::SearchEnded(EngineWorker::Ending ending, std::shared_ptr<ResultRows> rows) {
    const EndWorkScope ended(*this);
    if (ending == EngineWorker::weOutOfMemory) {
        ShowErrorMessage(this, "%s", RSIF::OutOfMemoryMessage().c_str());
    }
    if (mCloseAfterWork) {
        return;  // the window goes: its rows need not be filled
    }
    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    const int count = list.Count();
    if (!rows) {  // memory ran out during the run: nothing is shown as searched
        rows = std::make_shared<ResultRows>(list, 0);
    }
    const int searched = rows->Searched();
    SuccessNumSText->setNum(rows->Successes());
    ResultGrid->ShowRows(ResultGrid->FixedRows(), std::move(rows));
    ResultGrid->show();
    SearchBtn->setEnabled(true);
    // Results of a stopped run are incomplete: they are shown but not saved.
    ResultPreservBtn->setEnabled(searched == count);
    if (searched < count) {
        mStoppedNote = QStringLiteral(
                           "検索を中止しました（%1件中%2件を検索済み）。結果を保存するには、"
                           "検索をもう一度実行してください。")
                           .arg(count)
                           .arg(searched);
    }
}

void TMainForm::StopAsked() {
    if (!mWorker->IsRunning() || mWorker->StopAsked() || mWork == wkSave) {
        return;  // a save ends whole
    }
    // A stopped load changes nothing; a stopped search keeps what it found: it is asked.
    // A run that ends meanwhile withdraws the question (EndWork).
    if (mWork == wkSearch) {
        mStopQuestionOpen = true;
        const bool goOn = AskYesNo(this, "検索を中止しますか。");
        mStopQuestionOpen = false;
        if (goOn) {
            return;
        }
    }
    mWorker->Stop();
}

void TMainForm::ResultGridCellState(tqGrid& sender, int ARow, int ACol, bool,
                                    CellStateCL& CellState) {
    if (ARow < sender.FixedRows()) {
        return;
    }
    const std::string text = sender.Cells(ACol, ARow);
    const bool further = text == FurtherMark();
    if (ACol == 0) {
        CellState.PosX = spCenter;
        CellState.FontNumber = 1;
        if (text == SuccessMark() || further) {
            CellState.BackColor = clBlue;
        } else if (text == FailureMark()) {
            CellState.BackColor = clRed;
        }
    } else if (ACol <= 3) {
        if (further) {
            CellState.PosX = spCenter;
        }
        CellState.BackColor = kGreen;
    } else if (ACol <= 5) {
        CellState.PosX = further ? spCenter : spRight;
        CellState.BackColor = kLightCyan;
    } else if (ACol <= 10) {
        CellState.BackColor = kLightCyan;
    }
}
