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
    // A map whose load takes a while: loads can be stopped or overlapped during it.
    std::string BigMap() {
        std::string map = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
        for (int i = 0; i < 300000; ++i) {
            map += "A" + std::to_string(i) + ",B" + std::to_string(i) + ",1\n";
        }
        return File("big.csv", map);
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
    const std::string big = BigMap();
    form->show();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    presenter.answers.push_back(maYes);  // "the information goes": go on
    chooser.answers.push_back(big);
    form->MapFileReadMenuClick();
    EXPECT_STREQ(form->ResultGrid->Cells(1, 2), "");  // the rows wait while records change
    QTest::keyClick(form.get(), Qt::Key_Escape);
    Finish();
    EXPECT_EQ(State(), before);
    EXPECT_EQ(GridRows(), rows);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 31);
    EXPECT_EQ(Status(), "読込みを中止しました。");

    // Escape in the log window stops the load too.
    warnLog->show();
    warnLog->activateWindow();
    QApplication::setActiveWindow(warnLog.get());
    presenter.answers.push_back(maYes);
    chooser.answers.push_back(big);
    form->MapFileReadMenuClick();
    QTest::keyClick(warnLog.get(), Qt::Key_Escape);
    Finish();
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

TEST_F(GuardTest, MenuItemsFollowTheirButtonsAndAStaleCommandIsRefused) {
    LoadSample();
    form->SearchBtnClick();
    Finish();
    // The results may be saved until an instruction load ends: the menu item follows.
    chooser.answers.push_back(files.Path("drf.csv"));
    form->ReadRefDirFileMenuClick();
    EXPECT_TRUE(form->ResultPreservMenu->isEnabled());
    Finish();
    EXPECT_FALSE(form->ResultPreservBtn->isEnabled());
    EXPECT_FALSE(form->ResultPreservMenu->isEnabled());
    EXPECT_TRUE(form->SearchMenu->isEnabled());

    // A pick that comes after its state (an item of a menu opened before) does nothing.
    const size_t dialogs = chooser.starts.size();
    form->ResultPreservBtnClick();
    EXPECT_EQ(Status(), "この操作は現在できません。");
    EXPECT_EQ(chooser.starts.size(), dialogs);

    chooser.answers.push_back(files.Path("map.csv"));
    form->MapFileReadMenuClick();
    Finish();
    EXPECT_FALSE(form->SearchMenu->isEnabled());
    EXPECT_TRUE(form->ReadRefDirFileMenu->isEnabled());
    const size_t messages = presenter.shown.size();
    form->SearchBtnClick();
    EXPECT_FALSE(form->IsBusy());
    EXPECT_EQ(Status(), "この操作は現在できません。");
    EXPECT_EQ(presenter.shown.size(), messages);
}

TEST_F(GuardTest, TheLogIsNotSavedOverAFileBeingLoaded) {
    LoadSample();
    const std::string big = BigMap();
    const std::string bytes = TempDir::Read(big);
    chooser.answers.push_back(big);
    form->MapFileReadMenuClick();
    ASSERT_TRUE(form->IsBusy());
    presenter.shown.clear();
    chooser.answers.push_back(big);
    warnLog->LogSaveBtnClick();
    Finish();
    ASSERT_FALSE(presenter.shown.empty());
    EXPECT_NE(presenter.shown[0].find("は入力ファイル[" + big + "]と同じファイルです"),
              std::string::npos);
    EXPECT_FALSE(warnLog->IsSaving());
    EXPECT_EQ(TempDir::Read(big), bytes);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 600000);
}

TEST_F(GuardTest, TheStopQuestionIsWithdrawnWhenTheRunEnds) {
    LoadSample(kLongRun);
    form->show();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    form->SearchBtnClick();
    presenter.answers.push_back(maYes);  // what a user would answer after the run's end
    presenter.whileAsked = [this] { Finish(); };
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(presenter.withdrawn);
    EXPECT_EQ(RowsMarked("○"), kLongRun);
    EXPECT_TRUE(form->ResultPreservBtn->isEnabled());
    EXPECT_EQ(Status(), "");

    form->SearchBtnClick();  // the next run is not stopped by the stale answer
    Finish();
    EXPECT_EQ(RowsMarked("○"), kLongRun);
}

// Work stopped at many moments, quick reloads, and closing while work runs: run under the
// address sanitizer (scripts/sanitize.sh), this finds rows or jobs that outlive what they read.
TEST_F(GuardTest, WorkStoppedAtAnyMomentLeavesAWholeState) {
    LoadSample(1000);
    form->SearchBtnClick();
    Finish();
    const std::string big = BigMap();
    form->show();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    for (int round = 0; round < 8; ++round) {
        const std::string rows = GridRows();
        presenter.answers.push_back(maYes);
        chooser.answers.push_back(round % 3 == 0 ? big : files.Path("map.csv"));
        form->MapFileReadMenuClick();
        QTest::qWait(round * 7 % 40);
        QTest::keyClick(form.get(), Qt::Key_Escape);
        Finish();
        if (RSIF::GetDRFList().Count() > 0) {
            EXPECT_EQ(GridRows(), rows) << "round " << round;  // stopped: as it was
        } else {
            LoadInstructions(files.Path("drf.csv"));  // the map came in before the stop
        }
        form->SearchBtnClick();
        QTest::qWait(round * 11 % 30);
        QTest::keyClick(form.get(), Qt::Key_Escape);  // "stop?" answered Yes
        Finish();
        EXPECT_EQ(form->SuccessNumSText->text().toInt(), RowsMarked("○")) << "round " << round;
    }
    form->SearchBtnClick();
    EXPECT_FALSE(form->close());
    Finish();
    QApplication::processEvents();  // the deferred close
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
