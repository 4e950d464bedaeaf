// The search run and the colours and positions of the result rows.
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

#include <algorithm>
#include <cinttypes>
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
    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    int searched = 0;
    {
        BusyScope busy(*this, QStringLiteral("検索を実行しています。Escキーで中止できます。"));
        ResultGrid->hide();
        ShowProgress(true);
        SearchBtn->setEnabled(false);
        ResultPreservBtn->setEnabled(false);
        ProgressBar->setValue(0);
        mStopSearch = false;
        mStopShortcut->setEnabled(true);
        QApplication::processEvents();
        // The searches run on worker threads; this thread keeps the window alive meanwhile.
        searched = RSIF::SearchAllDRF(DefaultThreadCount(), [&](int finished) {
            ProgressBar->setValue(
                static_cast<int>(int64_t{finished} * 100 / std::max(list.Count(), 1)));
            QApplication::processEvents();
            return !mCloseAfterWork && !mStopSearch;
        });
        mStopShortcut->setEnabled(false);
        busy.Note(QStringLiteral(
            "検索結果を一覧に表示しています。表示が終わるまで他の操作はできません。"));
        ShowResultRows(searched);
        ResultGrid->show();
        SearchBtn->setEnabled(true);
    }
    // Results of a stopped run are incomplete: they are shown but not saved.
    ResultPreservBtn->setEnabled(searched == list.Count());
    if (searched < list.Count()) {
        statusBar()->showMessage(
            QStringLiteral("検索を中止しました（%1件中%2件を検索済み）。結果を保存するには、"
                           "検索をもう一度実行してください。")
                .arg(list.Count())
                .arg(searched));
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

void TMainForm::StopSearchAsked() {
    if (!mBusy || mStopSearch) {
        return;
    }
    mStopSearch = !AskYesNo(this, "検索を中止しますか。");
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
