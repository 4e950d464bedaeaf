// Editing and keys on the real widget, driven by QTest key, mouse and input-method events.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include <string>

#include "grid_fixture.h"
#include "platform/codepage.h"

namespace {

class EditTest : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        grid.SetRowCount(8);
        grid.CanEdit = true;
        grid.WriteCell(2, 1, "old");
        grid.SetCurrentCell(1, 2);
        grid.OnSetEditText = [this](StringGrid&, int col, int row, const std::string& text) {
            events += std::to_string(row) + "," + std::to_string(col) + "=" + text + " ";
        };
        grid.show();
        grid.setFocus();
    }
    bool EditorOpen() const {
        return grid.EditorMode() && grid.InplaceEditor() && grid.InplaceEditor()->isVisible();
    }
    // Keys typed into whatever has the focus now (the editor once it is open).
    void Type(const char* keys) {
        QWidget* target = EditorOpen() ? static_cast<QWidget*>(grid.InplaceEditor())
                                       : static_cast<QWidget*>(&grid);
        QTest::keyClicks(target, keys);
    }
    std::string Cell(int row, int col) const { return grid.Cells(col, row); }
    std::string events;
};

TEST_F(EditTest, TypingOpensTheEditorAndReplacesTheText) {
    QTest::keyClick(&grid, Qt::Key_A, Qt::NoModifier);
    ASSERT_TRUE(EditorOpen());
    EXPECT_EQ(Cell(2, 1), "a");
    Type("bc");
    EXPECT_EQ(Cell(2, 1), "abc");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(Cell(2, 1), "abc");
    EXPECT_FALSE(grid.Options() & goEditing);
}

TEST_F(EditTest, DigitAndDecimalColumnsDropOtherCharacters) {
    grid.SetColumnType(1, csDigits, true);
    grid.SetColumnType(2, csDecimal, true);
    Type("1a2");
    EXPECT_EQ(Cell(2, 1), "12");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    grid.SetCurrentCell(2, 2);
    Type("1a.2");
    EXPECT_EQ(Cell(2, 2), "1.2");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Backspace);  // control keys pass
    EXPECT_EQ(Cell(2, 2), "1.");
    // Double-byte characters and half-width kana are no digits.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("５ｱ東"));
    QApplication::sendEvent(grid.InplaceEditor(), &commit);
    EXPECT_EQ(Cell(2, 2), "1.");
}

TEST_F(EditTest, ShiftedSymbolsOnTheMainKeyboardStartEditingWithTheirCharacter) {
    for (const char* symbol : {"!", "#", "$", "%", "&", "(", ")", "*"}) {
        grid.WriteCell(2, 1, "old");
        QTest::keyClicks(&grid, symbol);
        ASSERT_TRUE(EditorOpen()) << symbol;
        EXPECT_EQ(Cell(2, 1), symbol);
        QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    }
}

TEST_F(EditTest, ADoubleClickEditsWhereTheGridMayElseTellsTheOwner) {
    int told = 0;
    grid.OnDblClick = [&told](StringGrid&) { ++told; };
    grid.DblClick();
    EXPECT_TRUE(EditorOpen());
    EXPECT_EQ(told, 0);
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    grid.CanEdit = false;
    grid.DblClick();
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(told, 1);
}

TEST_F(EditTest, AClickElsewhereOrLeavingTheGridEndsEditing) {
    Type("x");
    ASSERT_TRUE(EditorOpen());
    const PixelRect other = grid.CellRect(3, 4);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(other.Left + 5, other.Top + 5));
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(grid.Col(), 3);
    EXPECT_EQ(Cell(2, 1), "x");

    Type("y");
    ASSERT_TRUE(EditorOpen());
    QLineEdit elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    elsewhere.setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(Cell(4, 3), "y");
}

TEST_F(EditTest, ANonEditableColumnOpensOnlyOnADoubleClick) {
    grid.SetColumnType(1, csText, false);
    Type("q");
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(Cell(2, 1), "old");
    const PixelRect cell = grid.CellRect(1, 2);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, QPoint(cell.Left + 5, cell.Top + 5));
    EXPECT_TRUE(EditorOpen());
    EXPECT_EQ(grid.InplaceEditor()->text().toStdString(), "old");  // the text stays
}

TEST_F(EditTest, WithoutEditingTheClearingAndClipboardKeysStillWork) {
    grid.CanEdit = false;
    grid.SetOptions(grid.Options() | goRangeSelect);
    grid.WriteCell(2, 2, "two");
    grid.WriteCell(3, 1, "three");
    Type("z");
    EXPECT_FALSE(EditorOpen());
    grid.SetSelection({1, 2, 2, 2});
    QTest::keyClick(&grid, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "old\ttwo");
    EXPECT_EQ(Cell(2, 1) + Cell(2, 2), "");
    grid.SetCurrentCell(1, 3);
    QTest::keyClick(&grid, Qt::Key_Backspace);
    EXPECT_EQ(Cell(3, 1), "");
    grid.WriteCell(4, 1, "four");
    grid.SetCurrentCell(1, 4);
    QTest::keyClick(&grid, Qt::Key_Delete);
    EXPECT_EQ(Cell(4, 1), "");
    EXPECT_EQ(events, "2,1= 2,2= 3,1= 4,1= ");
    EXPECT_FALSE(EditorOpen());
}

TEST_F(EditTest, CtrlCCopiesWhenEnabledAndOtherwiseStartsEditing) {
    grid.EnableCtrlC = true;
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "old");
    EXPECT_FALSE(EditorOpen());
    grid.EnableCtrlC = false;
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(EditorOpen());
    EXPECT_EQ(Cell(2, 1), "");
}

TEST_F(EditTest, ComposingJapaneseOpensTheEditorAndCommitsCp932) {
    QInputMethodEvent composing(QStringLiteral("とう"), {});
    QApplication::sendEvent(&grid, &composing);
    ASSERT_TRUE(EditorOpen());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("東京"));
    QApplication::sendEvent(grid.InplaceEditor(), &commit);
    EXPECT_EQ(Cell(2, 1), codepage::Utf8ToCp932("東京"));
}
}  // namespace
