// The search run and the colours and positions of the result rows.
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

#include <algorithm>
#include <cinttypes>
#include <memory>
#include <string>

#include "app/mainfrm_private.h"
#include "data/formattext.h"
#include "data/messagebox.h"
#include "data/systemtext.h"
#include "engine/resultfile.h"
#include "engine/routesrchinterface.h"
#include "engine/searchrun.h"
#include "grid/resultgrid.h"
#include "platform/helperthreads.h"

namespace {

constexpr TColor kGreen = 0x80FF00;      // RGB 0, 255, 128
constexpr TColor kLightCyan = 0xFFFF80;  // RGB 128, 255, 255

const char* Success() { return SystemText("○"); }
const char* Further() { return SystemText("↓"); }
const char* Failure() { return SystemText("×"); }

// Writes the rows of one instruction from `row` on; gives the number of rows written.
int WriteResultRows(tqGrid& grid, int row, RSIF::typDRFInf& record) {
    const int rows = RSIF::RouteRowCount(record);
    const int nodes = record.Failed ? 0 : record.RouteNames.Count();
    for (int j = 0; j < rows; ++j) {
        grid.SetObjects(0, row + j, &record);
        if (j == 0) {
            grid.WriteCell(row, 0, record.Failed ? Failure() : Success());
            grid.WriteCell(row, 1, record.Name.GetText());
            grid.WriteCell(row, 2, record.StartName.GetText());
            grid.WriteCell(row, 3, record.EndName.GetText());
            grid.WriteCell(row, 4, record.Failed ? "" : std::to_string(nodes));
            grid.WriteCell(row, 5, record.Failed ? "" : FormatText("%" PRId64, record.Distance));
        } else {
            for (int col = 0; col < kResultGridFirstRouteColumn; ++col) {
                grid.WriteCell(row + j, col, Further());
            }
        }
        for (int k = 0; k < RSIF::kRouteNamesPerRow; ++k) {
            const int index = RSIF::kRouteNamesPerRow * j + k;
            grid.WriteCell(row + j, kResultGridFirstRouteColumn + k,
                           index < nodes ? record.RouteNames.Get(index).GetText() : "");
        }
    }
    return rows;
}

}  // namespace

void TMainForm::SearchBtnClick() {
    if (RefusedWhileBusy()) {
        return;
    }
    BeginWork(wkSearch, QStringLiteral("検索を実行しています。Escキーで中止できます。"));
    ResultGrid->hide();
    ShowProgress(true);
    SearchBtn->setEnabled(false);
    ResultPreservBtn->setEnabled(false);
    ProgressBar->setValue(0);
    auto searched = std::make_shared<int>(0);
    mWorker->Start(
        [this, searched] {
            const int count = std::max(RSIF::GetDRFList().Count(), 1);
            int shown = 0;
            *searched = RSIF::SearchAllDRF(DefaultThreadCount(), [&](int finished) {
                const int percent = static_cast<int>(int64_t{finished} * 100 / count);
                if (percent != shown) {
                    shown = percent;
                    mWorker->Post([this, percent] { ProgressBar->setValue(percent); });
                }
                return !mWorker->StopAsked();
            });
        },
        [this, searched](EngineWorker::Ending ending) { SearchEnded(ending, *searched); });
}

void TMainForm::SearchEnded(EngineWorker::Ending ending, int searched) {
    const EndWorkScope ended(*this);
    if (ending == EngineWorker::weOutOfMemory) {
        ShowErrorMessage(this, "メモリが不足しています。");
    }
    if (mCloseAfterWork) {
        return;  // the window goes: its rows need not be filled
    }
    const int count = RSIF::GetDRFList().Count();
    NoteWork(
        QStringLiteral("検索結果を一覧に表示しています。表示が終わるまで他の操作はできません。"));
    ShowResultRows(searched);
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

void TMainForm::ShowResultRows(int searched) {
    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    // The instructions are handed out in list order, so the searched ones are the first.
    int rows = list.Count() - searched;
    int successes = 0;
    for (int i = 0; i < searched; ++i) {
        rows += RSIF::RouteRowCount(*list.Get(i));
        successes += list.Get(i)->Failed ? 0 : 1;
    }
    SuccessNumSText->setNum(successes);
    SetGridRowCount(ResultGrid->FixedRows() + rows);
    ProgressRun progress(mProgress.get(), list.Count());
    int row = ResultGrid->FixedRows();
    for (int i = 0; i < list.Count(); ++i) {
        progress.Item(i);
        if (i < searched) {
            row += WriteResultRows(*ResultGrid, row, *list.Get(i));
        } else {
            WriteInstructionRow(*ResultGrid, row++, *list.Get(i));
        }
    }
}

void TMainForm::StopAsked() {
    if (!mWorker->IsRunning() || mWorker->StopAsked()) {
        return;
    }
    // A stopped load changes nothing; a stopped search keeps what it found: it is asked.
    if (mWork == wkLoad || (mWork == wkSearch && !AskYesNo(this, "検索を中止しますか。"))) {
        mWorker->Stop();
    }
}

void TMainForm::ResultGridCellState(tqGrid& sender, int ARow, int ACol, bool,
                                    CellStateCL& CellState) {
    if (ARow < sender.FixedRows()) {
        return;
    }
    const std::string text = sender.Cells(ACol, ARow);
    const bool further = text == Further();
    if (ACol == 0) {
        CellState.PosX = spCenter;
        CellState.FontNumber = 1;
        if (text == Success() || further) {
            CellState.BackColor = clBlue;
        } else if (text == Failure()) {
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
