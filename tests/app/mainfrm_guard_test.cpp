// Commands and closing while a search runs.
#include <QApplication>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

#include "app_fixture.h"

namespace {

class GuardTest : public AppTest {
protected:
    // A chain of `searches` + 1 nodes; search i goes from the first node to node i + 1.
    void LoadSample(int searches = 30) {
        std::string map = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
        std::string drf = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
        for (int i = 0; i < searches; ++i) {
            map += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + ",1\n";
            drf += "s" + std::to_string(i) + ",N0,N" + std::to_string(i + 1) + "\n";
        }
        LoadMap(File("map.csv", map));
        LoadInstructions(File("drf.csv", drf));
    }
    std::string Status() const { return form->statusBar()->currentMessage().toStdString(); }
    // The number of data rows whose first cell reads `mark`.
    int RowsMarked(const char* mark) const {
        int count = 0;
        for (int row = 2; row < form->ResultGrid->RowCount(); ++row) {
            count += form->ResultGrid->Cells(0, row) == codepage::Utf8ToCp932(mark) ? 1 : 0;
        }
        return count;
    }
    static constexpr int kLongRun = 5000;
};

TEST_F(GuardTest, OtherCommandsDoNothingWhileASearchRuns) {
    LoadSample();
    const size_t dialogs = chooser.starts.size();
    form->SearchBtnClick();
    // The search runs on the worker until its outcome is applied, after events have run.
    EXPECT_TRUE(form->IsBusy());
    form->MapFileReadMenuClick();
    form->ReadRefDirFileMenuClick();
    form->ResultPreservBtnClick();
    form->SearchBtnClick();
    EXPECT_NE(Status().find("処理中のため"), std::string::npos);  // says why
    EXPECT_EQ(State(),
              "map on, drf on, search off, save off, mapchk yes, drfchk yes, mapwarn hidden, "
              "drwarn hidden, grid hidden, progress shown, nodes '31', drfs '30', successes ''");
    Finish();
    EXPECT_EQ(chooser.starts.size(), dialogs);  // no dialog opened meanwhile
    EXPECT_TRUE(presenter.shown.empty());
    EXPECT_EQ(form->SuccessNumSText->text().toStdString(), "30");
    EXPECT_FALSE(form->IsBusy());
    EXPECT_EQ(Status(), "");  // the strip is empty again
}

TEST_F(GuardTest, TheBusyNoteOutlastsMenuTipsAndRefusals) {
    LoadSample(kLongRun);
    // Before the worker's posted notes run: the searches are being prepared.
    const std::string note = "検索の準備をしています。Escキーで中止できます。";
    std::vector<std::string> seen;
    form->SearchBtnClick();
    seen.push_back(Status());
    // A menu's item under the pointer, then none: the tips Qt sends the window.
    QStatusTipEvent tip(QStringLiteral("tip"));
    QApplication::sendEvent(form.get(), &tip);
    QStatusTipEvent noTip{QString()};
    QApplication::sendEvent(form.get(), &noTip);
    seen.push_back(Status());
    form->ResultPreservBtnClick();
    seen.push_back(Status().substr(0, 9));
    form->statusBar()->clearMessage();  // what the refusal's time running out does
    seen.push_back(Status());
    Finish();
    EXPECT_EQ(seen, (std::vector<std::string>{note, note, "処理中", note}));
    EXPECT_EQ(Status(), "");
}

TEST_F(GuardTest, CloseDuringASearchStopsTheRunAndThenCloses) {
    LoadSample(kLongRun);
    form->show();
    form->SearchBtnClick();
    EXPECT_FALSE(form->close());
    EXPECT_NE(Status().find("終了します"), std::string::npos);
    Finish();
    int searched = 0;
    for (int i = 0; i < RSIF::GetDRFList().Count(); ++i) {
        searched += RSIF::GetDRFList().Get(i)->RouteNames.Count() > 0 ? 1 : 0;
    }
    EXPECT_LT(searched, kLongRun);  // not every search ran
    EXPECT_TRUE(form->isVisible());
    QApplication::processEvents();  // the deferred close
    EXPECT_FALSE(form->isVisible());
}

TEST_F(GuardTest, EscapeAsksAndStopsTheRunKeepingWhatWasSearched) {
    LoadSample(kLongRun);
    form->show();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    form->SearchBtnClick();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    Finish();
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0], "question: 検索を中止しますか。");
    const int searched = RowsMarked("○");
    EXPECT_LT(searched, kLongRun);
    EXPECT_EQ(form->SuccessNumSText->text().toInt(), searched);
    const int last = form->ResultGrid->RowCount() - 1;  // the rest as bare instructions
    EXPECT_EQ(std::string(form->ResultGrid->Cells(0, last)), "");
    EXPECT_EQ(codepage::Cp932ToUtf8(form->ResultGrid->Cells(1, last)),
              "s" + std::to_string(kLongRun - 1));
    EXPECT_FALSE(form->ResultPreservBtn->isEnabled());  // incomplete results are not saved
    EXPECT_TRUE(form->SearchBtn->isEnabled());
    EXPECT_NE(Status().find(std::to_string(kLongRun) + "件中" + std::to_string(searched) + "件"),
              std::string::npos);

    presenter.shown.clear();
    form->SearchBtnClick();  // run again: complete, and the note goes
    Finish();
    EXPECT_EQ(RowsMarked("○"), kLongRun);
    EXPECT_TRUE(form->ResultPreservBtn->isEnabled());
    EXPECT_EQ(Status(), "");
}

TEST_F(GuardTest, ALoadStoppedByEscapeOrByClosingChangesNothing) {
    LoadSample();
    const std::string before = State();
    const std::string rows = GridRows();
    std::string map = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
    for (int i = 0; i < 300000; ++i) {
        map += "A" + std::to_string(i) + ",B" + std::to_string(i) + ",1\n";
    }
    const std::string big = File("big.csv", map);
    form->show();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    presenter.answers.push_back(maYes);  // "the information goes": go on
    chooser.answers.push_back(big);
    form->MapFileReadMenuClick();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    Finish();
    EXPECT_EQ(State(), before);
    EXPECT_EQ(GridRows(), rows);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 31);
    EXPECT_EQ(Status(), "読込みを中止しました。");

    presenter.answers.push_back(maYes);
    chooser.answers.push_back(big);
    form->MapFileReadMenuClick();
    EXPECT_FALSE(form->close());
    Finish();
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 31);
    QApplication::processEvents();  // the deferred close
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
