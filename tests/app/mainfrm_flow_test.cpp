// Whole user flows through the main window.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <string>
#include <utility>

#include "app_fixture.h"
#include "platform/iofault.h"

namespace {

const char* kMap =
    "M_始点ノード名,M_終点ノード名,M_ノード間距離\n"
    "S,A,1\nA,B,1\nB,C,1\nC,D,1\nD,E,1\nE,F,1\nX,X,1\nS,F,100\nQ,R,1\n";
const char* kInstructions =
    "D_検索名称,D_始点ノード名,D_終点ノード名\n"
    "long,S,F\nshort,A,B\nnone,S,Q\nbad,S,Z\n";

const char* kMapLoaded =
    "map on, drf on, search off, save off, mapchk yes, drfchk no, mapwarn hidden, drwarn shown, "
    "grid hidden, progress hidden, nodes '9', drfs '', successes ''";
const char* kInstructionsLoaded =
    "map on, drf on, search on, save off, mapchk yes, drfchk yes, mapwarn hidden, drwarn hidden, "
    "grid shown, progress hidden, nodes '9', drfs '3', successes ''";
const char* kResultsShown =
    "map on, drf on, search on, save on, mapchk yes, drfchk yes, mapwarn hidden, drwarn hidden, "
    "grid shown, progress hidden, nodes '9', drfs '3', successes '2'";
const char* kResultRows =
    "○|long|S|F|7|6|S|A|B|C|D/↓|↓|↓|↓|↓|↓|E|F|||/○|short|A|B|2|1|A|B|||/×|none|S|Q|||||||";

std::string WarnLines(const TWarnLogForm& log) {
    std::string out;
    for (const std::string& line : log.Lines()) {
        out += codepage::Cp932ToUtf8(line) + "\n";
    }
    return out;
}

TEST_F(AppTest, FirstStartWithoutSettingsFile) {
    EXPECT_EQ(State(), kEmptyState);
    EXPECT_EQ(form->OpenDialog.InitialDir, "");
    EXPECT_EQ(form->SaveDialog.InitialDir, "");
    EXPECT_EQ(config.Listing(), "");
    chooser.answers.push_back("");  // cancelled
    form->MapFileReadMenuClick();
    Finish();
    EXPECT_EQ(chooser.starts.back(), "open:");
    EXPECT_EQ(config.Listing(), "");       // nothing written yet
    EXPECT_TRUE(presenter.shown.empty());  // nothing to confirm on an empty window
    LoadMap(File("map.csv", kMap));
    EXPECT_EQ(Setting("DATA_READ_DIR"), files.Dir() + "/");
}

TEST_F(AppTest, LoadSearchRepeatAndSaveAsTheBatchToolWould) {
    const std::string map = File("map.csv", kMap);
    LoadMap(map);
    EXPECT_EQ(State(), kMapLoaded);
    EXPECT_FALSE(warnLog->isHidden());
    EXPECT_EQ(WarnLines(*warnLog), "[0007]行:From及びToのノード名称は同一には出来ません。\n");

    const std::string instructions = File("drf.csv", kInstructions);
    LoadInstructions(instructions);
    EXPECT_EQ(State(), kInstructionsLoaded);
    EXPECT_EQ(GridRows(), "|long|S|F|||||||/|short|A|B|||||||/|none|S|Q|||||||");
    EXPECT_EQ(WarnLines(*warnLog), "[0004]行:終点ノード名称[Z]はＭＡＰ情報に存在しません。\n");
    EXPECT_EQ(form->ResultGrid->Objects(0, 3), RSIF::GetDRFList().Get(1));

    form->SearchBtnClick();

    Finish();
    EXPECT_EQ(State(), kResultsShown);
    EXPECT_EQ(GridRows(), kResultRows);
    EXPECT_EQ(form->ResultGrid->Objects(0, 3), RSIF::GetDRFList().Get(0));  // the "↓" row
    form->SearchBtnClick();
    Finish();
    EXPECT_EQ(State(), kResultsShown);
    EXPECT_EQ(GridRows(), kResultRows);

    const std::string saved = files.Path("result.csv");
    chooser.answers.push_back(saved);
    form->ResultPreservBtnClick();
    Finish();
    EXPECT_EQ(presenter.shown.back(),
              "info: 検索結果ファイル[" + saved + "]の保存が完了しました。");
    EXPECT_EQ(Setting("DATA_WRTE_DIR"), files.Dir() + "/");
    EXPECT_EQ(State(), kResultsShown);

    const std::string batch = files.Path("batch.csv");
    std::string command = std::string("'") + QRLX_BATCH + "' '" + map + "' '" + instructions +
                          "' '" + batch + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(TempDir::Read(saved), TempDir::Read(batch));

    // The dialog's other file types: the same results in UTF-8, with a mark or without,
    // as the batch tool writes them.
    EXPECT_EQ(chooser.filters.back(),
              "CSVﾌｧｲﾙ (*.CSV *.csv);;CSVﾌｧｲﾙ UTF-8 (*.CSV *.csv);;CSVﾌｧｲﾙ UTF-8 BOM付き (*.CSV "
              "*.csv)");
    for (const auto& [type, encoding] : {std::pair{1, "utf-8"}, std::pair{2, "utf-8-sig"}}) {
        chooser.answers.push_back(saved);
        chooser.types.push_back(type);
        form->ResultPreservBtnClick();
        Finish();
        ASSERT_EQ(std::system((command + " --encoding " + encoding).c_str()), 0);
        EXPECT_EQ(TempDir::Read(saved), TempDir::Read(batch)) << encoding;
    }
    EXPECT_EQ(TempDir::Read(saved).substr(0, 3), "\xEF\xBB\xBF");
}

TEST_F(AppTest, NoSaveOfTheWindowReplacesAFileItLoaded) {
    const std::string map = File("map.csv", kMap);
    const std::string instructions = File("drf.csv", kInstructions);
    ASSERT_EQ(::symlink(map.c_str(), files.Path("link.csv").c_str()), 0);
    const std::string mapBytes = TempDir::Read(map);
    const std::string instructionBytes = TempDir::Read(instructions);
    LoadMap(map);
    LoadInstructions(instructions);
    form->SearchBtnClick();
    Finish();
    ASSERT_EQ(State(), kResultsShown);
    for (const auto& [output, input] : {std::pair{map, map}, std::pair{instructions, instructions},
                                        std::pair{files.Path("link.csv"), map}}) {
        chooser.answers.push_back(output);
        form->ResultPreservBtnClick();
        Finish();
        EXPECT_EQ(presenter.shown.back(), "error: 出力ファイル[" + output + "]は入力ファイル[" +
                                              input + "]と同じファイルです。");
        chooser.answers.push_back(output);
        warnLog->LogSaveBtnClick();
        EXPECT_EQ(presenter.shown.back(), "error: 出力ファイル[" + output + "]は入力ファイル[" +
                                              input + "]と同じファイルです。");
    }
    EXPECT_EQ(TempDir::Read(map), mapBytes);
    EXPECT_EQ(TempDir::Read(instructions), instructionBytes);
    // A file loaded before the map that replaced it may be written again.
    LoadMap(File("other.csv", kMap));
    chooser.answers.push_back(instructions);
    presenter.answers.push_back(maYes);
    warnLog->LogSaveBtnClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !warnLog->IsSaving(); }, 60000));
    EXPECT_NE(TempDir::Read(instructions), instructionBytes);
}

TEST_F(AppTest, GridKeysChangeOnlyTheGridNeverTheSavedResults) {
    LoadMap(File("map.csv", kMap));
    LoadInstructions(File("drf.csv", kInstructions));
    form->SearchBtnClick();
    Finish();
    const std::string before = files.Path("before.csv");
    chooser.answers.push_back(before);
    form->ResultPreservBtnClick();
    Finish();

    tqGrid& grid = *form->ResultGrid;
    grid.setFocus();
    grid.SetCurrentCell(6, 2);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);  // copying is on
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "S");
    QTest::keyClick(&grid, Qt::Key_Delete);
    grid.SetCurrentCell(1, 4);
    QTest::keyClick(&grid, Qt::Key_Backspace);
    grid.SetCurrentCell(5, 2);
    QTest::keyClick(&grid, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(&grid, Qt::Key_A);  // no editing in the result grid
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(std::string(grid.Cells(6, 2)) + grid.Cells(1, 4) + grid.Cells(5, 2), "");

    const std::string after = files.Path("after.csv");
    chooser.answers.push_back(after);
    form->ResultPreservBtnClick();
    Finish();
    EXPECT_EQ(TempDir::Read(after), TempDir::Read(before));
}

TEST_F(AppTest, UtfEightMapsLoadAndUnholdableCharactersAreNamed) {
    const std::string utf8 = files.Write("utf8.csv",
                                         "\xEF\xBB\xBFM_始点ノード名,M_終点ノード名,"
                                         "M_ノード間距離\r\n東京,品川,7\r\n");
    LoadMap(utf8);
    EXPECT_EQ(form->NodeNumSText->text().toStdString(), "2");
    EXPECT_TRUE(RSIF::GetNodes().IsNode(tqString(codepage::Utf8ToCp932("東京").c_str())));

    const std::string emoji = files.Write("emoji.csv",
                                          "\xEF\xBB\xBFM_始点ノード名,M_終点ノード名,"
                                          "M_ノード間距離\r\n東京,😀,7\r\n");
    LoadMap(emoji);
    EXPECT_EQ(presenter.shown.back(),
              "error: 指定されたファイル[" + emoji +
                  "]の[0001]行2列目に、Shift-JISで表せない文字があります。");
    EXPECT_EQ(form->NodeNumSText->text().toStdString(), "2");  // the network stays
}

TEST_F(AppTest, SecondMapLoadAnsweredNoChangesNothing) {
    LoadMap(File("map.csv", kMap));
    LoadInstructions(File("drf.csv", kInstructions));
    const std::string before = State();
    presenter.answers.push_back(maNo);
    form->MapFileReadMenuClick();  // no dialog may open
    EXPECT_EQ(presenter.shown.back(),
              "question: マップファイルを読込むと、これまでの情報は消去されます、続行しますか。");
    EXPECT_EQ(State(), before);
    EXPECT_EQ(RSIF::GetDRFList().Count(), 3);
    EXPECT_EQ(chooser.starts.size(), 2u);
}

TEST_F(AppTest, MapLoadAfterASearchDiscardsTheInstructions) {
    LoadMap(File("map.csv", kMap));
    LoadInstructions(File("drf.csv", kInstructions));
    form->SearchBtnClick();
    Finish();
    LoadMap(File("map2.csv", "M_始点ノード名,M_終点ノード名,M_ノード間距離\nP,Q,1\n"));
    EXPECT_EQ(State(),
              "map on, drf on, search off, save off, mapchk yes, drfchk no, mapwarn hidden, drwarn "
              "shown, "
              "grid hidden, progress hidden, nodes '2', drfs '', successes ''");
    EXPECT_EQ(RSIF::GetDRFList().Count(), 0);
    EXPECT_TRUE(warnLog->isHidden());  // a load without warnings closes the log
    for (int row = 2; row < form->ResultGrid->RowCount(); ++row) {
        EXPECT_EQ(form->ResultGrid->Objects(0, row), nullptr);
    }
    // The dialog opens again at the file chosen last.
    EXPECT_EQ(chooser.starts.back(), "open:" + files.Path("drf.csv"));
}

TEST_F(AppTest, FailedReadsChangeNoControl) {
    LoadMap(File("map.csv", kMap));
    const std::string before = State();
    const std::string missing = files.Path("missing.csv");
    LoadMap(missing);
    EXPECT_EQ(presenter.shown.back(), "error: 指定されたファイル[" + missing + "]は存在しません。");
    const std::string empty = files.Write("empty.csv", "");
    LoadMap(empty);
    EXPECT_EQ(presenter.shown.back(),
              "error: 指定されたファイル[" + empty + "]を読込めません。(空のファイルです)");
    const std::string mapAsInstructions = files.Path("map.csv");
    LoadInstructions(mapAsInstructions);
    EXPECT_EQ(presenter.shown.back(), "error: 指定されたファイル[" + mapAsInstructions +
                                          "]は検索指示ファイルのフォーマットと適合しません。");
    EXPECT_EQ(State(), before);
    EXPECT_EQ(WarnLines(*warnLog), "[0007]行:From及びToのノード名称は同一には出来ません。\n");
    EXPECT_FALSE(warnLog->isHidden());
    LoadMap(File("drf.csv", kInstructions));
    EXPECT_EQ(presenter.shown.back(), "error: 指定されたファイル[" + files.Path("drf.csv") +
                                          "]はＭＡＰファイルのフォーマットと適合しません。");
    EXPECT_EQ(State(), before);
}

TEST_F(AppTest, AMapFileIsNoInstructionFileAfterAnInstructionLoadEither) {
    LoadMap(File("map.csv", kMap));
    LoadInstructions(File("drf.csv", kInstructions));
    const std::string before = State();
    const std::string rows = GridRows();
    presenter.answers.push_back(maYes);  // yes, the results may go
    LoadInstructions(files.Path("map.csv"));
    EXPECT_EQ(presenter.shown.back(), "error: 指定されたファイル[" + files.Path("map.csv") +
                                          "]は検索指示ファイルのフォーマットと適合しません。");
    EXPECT_EQ(State(), before);
    EXPECT_EQ(GridRows(), rows);
}

TEST_F(AppTest, ScratchFailuresBlameTheTemporaryFolderAndKeepNothingHalfRead) {
    // Big enough that the table's scratch file is written and read, not only its pages.
    std::string rows = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
    std::string instructions = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    for (int i = 0; i < 5000; ++i) {
        rows += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + ",7\n";
        instructions += "s" + std::to_string(i) + ",N" + std::to_string(i) + ",N5000\n";
    }
    const std::string map = File("big.csv", rows);
    // A UTF-8 map is converted through the table, and so through its scratch file.
    const std::string utf8Map = files.Write("big8.csv", "\xEF\xBB\xBF" + rows);
    const std::string drf = File("bigdrf.csv", instructions);
    const std::string message = "error: 一時フォルダ[" + RSIF::ScratchFolder() +
                                "]の作業ファイルを作成または読み書きできません。";

    iofault::Fail(iofault::opWrite);
    LoadMap(utf8Map);
    iofault::Reset();
    EXPECT_EQ(presenter.shown.back(), message);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 0);
    EXPECT_TRUE(warnLog->isHidden());

    LoadMap(map);  // a new scratch file for the next load
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 5001);
    iofault::Fail(iofault::opRead);
    LoadInstructions(drf);
    iofault::Reset();
    EXPECT_EQ(presenter.shown.back(), message);
    EXPECT_EQ(RSIF::GetDRFList().Count(), 0);
    EXPECT_FALSE(form->SearchBtn->isEnabled());
}

TEST_F(AppTest, InstructionsNeedAMap) {
    form->ReadRefDirFileMenuClick();
    Finish();
    EXPECT_EQ(presenter.shown.back(), "error: マップファイルが読込まれていません。");
    EXPECT_TRUE(chooser.starts.empty());
}

TEST_F(AppTest, InstructionFileWithNoAcceptedRow) {
    LoadMap(File("map.csv", kMap));
    LoadInstructions(File("drf.csv", "D_検索名称,D_始点ノード名,D_終点ノード名\nx,S,S\n"));
    EXPECT_EQ(form->DRNumSText->text().toStdString(), "0");
    EXPECT_EQ(form->ResultGrid->RowCount(), 2);
    EXPECT_TRUE(form->SearchBtn->isEnabled());
    form->SearchBtnClick();
    Finish();
    EXPECT_EQ(form->SuccessNumSText->text().toStdString(), "0");
    EXPECT_EQ(form->ResultGrid->RowCount(), 2);
    EXPECT_TRUE(form->ResultPreservBtn->isEnabled());
}

TEST_F(AppTest, ReloadingFewerInstructionsLeavesNothingOfTheEarlierRows) {
    LoadMap(File("map.csv", kMap));
    LoadInstructions(File("drf.csv", kInstructions));
    form->SearchBtnClick();
    Finish();
    form->ResultGrid->SetCellBackColor(3, 6, clRed);  // a stored colour in an old row
    LoadInstructions(File("drf2.csv", "D_検索名称,D_始点ノード名,D_終点ノード名\nnew,Q,R\n"));
    EXPECT_EQ(GridRows(), "|new|Q|R|||||||");
    EXPECT_EQ(form->ResultGrid->RowCount(), 3);
    EXPECT_EQ(form->ResultGrid->GetCellState(2, 0, false), nullptr);
    EXPECT_EQ(form->DRNumSText->text().toStdString(), "1");
    EXPECT_FALSE(form->ResultPreservBtn->isEnabled());
}

TEST_F(AppTest, SaveOverAnExistingFileAnsweredNoTouchesNothing) {
    LoadMap(File("map.csv", kMap));
    LoadInstructions(File("drf.csv", kInstructions));
    form->SearchBtnClick();
    Finish();
    const std::string existing = files.Write("old.csv", "old");
    const std::string settingsBefore = TempDir::Read(config.Path("QRLX.INI"));
    chooser.answers.push_back(existing);
    presenter.answers.push_back(maNo);
    form->ResultPreservBtnClick();
    Finish();
    EXPECT_EQ(presenter.shown.back(),
              "question: 指定されたファイル[" + existing + "]は既に存在します、上書きしますか。");
    EXPECT_EQ(TempDir::Read(existing), "old");
    EXPECT_EQ(TempDir::Read(config.Path("QRLX.INI")), settingsBefore);
    EXPECT_EQ(Setting("DATA_WRTE_DIR"), "<none>");
}

TEST_F(AppTest, SaveThatCannotWriteReportsIt) {
    LoadMap(File("map.csv", kMap));
    LoadInstructions(File("drf.csv", kInstructions));
    form->SearchBtnClick();
    Finish();
    const std::string path = files.Path("missing/result.csv");
    chooser.answers.push_back(path);
    form->ResultPreservBtnClick();
    Finish();
    EXPECT_EQ(presenter.shown.back(),
              "error: 検索結果ファイル[" + path + "]の保存に失敗しました。(フォルダがありません)");
    EXPECT_EQ(Setting("DATA_WRTE_DIR"), files.Path("missing") + "/");  // written before the file

    // A save failing half-way keeps the old file whole (the settings, written first and
    // small, still fit in what the disk takes).
    const std::string existing = files.Write("old.csv", "old");
    chooser.answers.push_back(existing);
    presenter.answers.push_back(maYes);
    iofault::FailWritesAfter(200);
    form->ResultPreservBtnClick();
    Finish();
    iofault::Reset();
    EXPECT_EQ(presenter.shown.back(),
              "error: 検索結果ファイル[" + existing +
                  "]の保存に失敗しました。(ディスクへの読み書きに失敗しました)");
    EXPECT_EQ(TempDir::Read(existing), "old");
}

TEST_F(AppTest, UnwritableSettingsEndTheLoadWithTheWindowUnchanged) {
    files.Write("blocker", "a file where the settings folder should be");
    ::setenv("XDG_CONFIG_HOME", files.Path("blocker/sub").c_str(), 1);
    LoadMap(File("map.csv", kMap));
    EXPECT_EQ(presenter.shown.back().rfind("error: 設定ファイル[", 0), 0u)
        << presenter.shown.back();
    EXPECT_EQ(State(), kEmptyState);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 0);
    EXPECT_TRUE(warnLog->isHidden());
}

TEST_F(AppTest, MenuItemsFollowTheButtons) {
    EXPECT_FALSE(form->ReadRefDirFileMenu->isEnabled());
    EXPECT_FALSE(form->ResultPreservMenu->isEnabled());
    EXPECT_FALSE(form->SearchMenu->isEnabled());
    EXPECT_TRUE(form->MapFileReadMenu->isEnabled());
    EXPECT_TRUE(form->EndMenu->isEnabled());
    LoadMap(File("map.csv", kMap));
    EXPECT_TRUE(form->ReadRefDirFileMenu->isEnabled());
    LoadInstructions(File("drf.csv", kInstructions));
    EXPECT_TRUE(form->SearchMenu->isEnabled());
    form->SearchBtnClick();
    Finish();
    EXPECT_TRUE(form->ResultPreservMenu->isEnabled());
}

TEST_F(AppTest, HeaderHasFiveMergedBlocksWithCentredTexts) {
    tqGrid& grid = *form->ResultGrid;
    EXPECT_EQ(codepage::Cp932ToUtf8(grid.Cells(0, 0)), "結果");
    EXPECT_EQ(codepage::Cp932ToUtf8(grid.Cells(6, 0)), "通過ノード");
    EXPECT_EQ(codepage::Cp932ToUtf8(grid.Cells(10, 1)), "５");
    struct Block {
        int row;
        int col;
        int left;
        int right;
        int bottom;
    };
    for (Block b : {Block{1, 0, 0, 0, 1}, Block{1, 1, 1, 1, 1}, Block{0, 3, 2, 3, 0},
                    Block{0, 5, 4, 5, 0}, Block{0, 9, 6, 10, 0}}) {
        CellStateCL* state = grid.GetCellState(b.row, b.col, false);
        ASSERT_NE(state, nullptr);
        EXPECT_TRUE(state->CellMerge);
        EXPECT_EQ(state->cmLeft, b.left);
        EXPECT_EQ(state->cmRight, b.right);
        EXPECT_EQ(state->cmBottom, b.bottom);
        EXPECT_EQ(state->PosX, spCenter);
        EXPECT_EQ(state->PosY, spMiddle);
    }
    EXPECT_EQ(grid.GetCellState(1, 2, false)->CellMerge, false);
    EXPECT_EQ(grid.GetCellState(1, 2, false)->PosX, spCenter);
    EXPECT_EQ(grid.ColWidths(0), 45);
    EXPECT_EQ(grid.ColWidths(1), 64);
    EXPECT_EQ(grid.FixedRows(), 2);
}

}  // namespace
