// qrlx-grid-gallery [--screenshot OUTPUT_PNG]: one XtqGrid showing what it can do — wrapped
// cells in each position, a double-byte text wrapped at a narrow width, bitmaps loaded from
// a file and from the clipboard, the four custom fonts, a swapped column, sorted rows, and
// editable digit and decimal columns — for a developer to try the control by hand. With
// --screenshot it saves a picture of the grid instead of showing it.
#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <string>

#include "grid/xtqgrid.h"
#include "platform/codepage.h"
#include "platform/qt/desktop.h"
#include "platform/qt/fonts.h"

namespace {

std::string Cp(const char* utf8) { return codepage::Utf8ToCp932(utf8); }

// A round mark of one colour, as a bitmap.
QImage Mark(QColor colour) {
    QImage image(28, 28, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawEllipse(2, 2, 24, 24);
    return image;
}

void ShowImage(XtqGrid& grid, int row, int col, int32_t id) {
    XtqCellStateCL* state = grid.GetCellState(row, col, true);
    state->ImgView = id != 0;
    state->ImgID = id;
    grid.SetCellStrPos(row, col, spCenter, spMiddle);
}

void Fill(XtqGrid& grid, const QString& scratch) {
    const char* titles[] = {"順位", "左折返し", "中央折返し", "右折返し",
                            "画像", "フォント", "数字",       "小数"};
    for (int col = 0; col < 8; ++col) {
        grid.WriteCell(0, col, Cp(titles[col]));
        grid.SetCellStrPos(0, col, spCenter, spMiddle);
    }
    // Wrapped cells: each wrap position, at the top, the middle and the bottom.
    const StrPosY rows[] = {spTop, spMiddle, spBottom};
    const StrPosX wraps[] = {spLeftWrap, spCenterWrap, spRightWrap};
    for (int r = 0; r < 3; ++r) {
        grid.SetRowHeights(1 + r, 64);
        for (int c = 0; c < 3; ++c) {
            grid.SetCellStrPos(1 + r, 1 + c, wraps[c], rows[r]);
            grid.WriteCell(1 + r, 1 + c,
                           Cp(r == 1 ? "東京から\n名古屋を経て\n大阪へ"
                                     : "長い名前の経路を狭い幅で折り返します"));
        }
    }
    // Bitmaps from a file and from the clipboard.
    const QString file = scratch + "/mark.png";
    Mark(QColor(0x2f, 0xbf, 0x4a)).save(file);
    ShowImage(grid, 1, 4, grid.LoadBitmapFile(file.toStdString()));
    QApplication::clipboard()->setImage(Mark(QColor(0xe0, 0x3a, 0x3a)));
    ShowImage(grid, 2, 4, grid.LoadBitmapFromClipboard());
    // Rows 4-8 sorted by their numbers; digit and decimal columns open for editing.
    const int order[] = {42, 7, 19, 3, 25};
    for (int k = 0; k < 5; ++k) {
        grid.WriteCell(4 + k, 0, std::to_string(order[k]));
        grid.WriteCell(4 + k, 6, std::to_string(order[k] * 10));
        grid.WriteCell(4 + k, 7, std::to_string(order[k]) + ".5");
        grid.SetCellStrPos(4 + k, 0, spRight, spMiddle);
    }
    grid.OnSort = [](XtqGrid& sender, int a, int b, int& result) {
        result = std::stoi(sender.GetCells(0, a)) - std::stoi(sender.GetCells(0, b));
    };
    grid.SortRow(4, 8);
    // The four custom fonts.
    const int sizes[] = {10, 14, 12, 16};
    for (int n = 1; n <= 4; ++n) {
        QFont font = GothicFont(sizes[n - 1], n % 2 == 0);
        font.setItalic(n == 3);
        grid.SetCustomFont(n, font);
        grid.WriteCell(3 + n, 5, Cp("フォント") + std::to_string(n));
        grid.SetCellFont(3 + n, 5, n);
    }
    for (int col = 0; col < 10; ++col) {
        grid.SetColumnType(col, csText, false);
    }
    grid.SetColumnType(6, csDigits, true);
    grid.SetColumnType(7, csDecimal, true);
    grid.CanEdit = true;
    // Two columns written as A then B, swapped through the column map.
    for (int row = 1; row < 9; ++row) {
        grid.WriteCell(row, 8, Cp("A列") + std::to_string(row));
        grid.WriteCell(row, 9, Cp("B列") + std::to_string(row));
    }
    grid.SwapCol(8, 9);
    grid.WriteCell(0, 8, Cp("元の列B"));
    grid.WriteCell(0, 9, Cp("元の列A"));
    grid.SetCellStrPos(0, 8, spCenter, spMiddle);
    grid.SetCellStrPos(0, 9, spCenter, spMiddle);
    grid.SetCellBackColor(9, 0, 0xCCFFFF);
    grid.WriteCell(9, 1, Cp("Ctrl+Cでコピー、数字・小数の列は入力できます"));
    grid.MergeCells(9, 9, 1, 7);
    // A column too narrow for two characters: its wrapped text shows one a line.
    grid.WriteCell(0, 10, Cp("縦"));
    grid.SetCellStrPos(0, 10, spCenter, spMiddle);
    grid.MergeCells(1, 8, 10, 10);
    grid.WriteCell(1, 10, Cp("一字ずつ折り返す狭い列"));
    grid.SetCellStrPos(1, 10, spCenterWrap, spTop);
}

}  // namespace

int main(int argc, char** argv) {
    const bool screenshot = argc == 3 && std::strcmp(argv[1], "--screenshot") == 0;
    if (argc != 1 && !screenshot) {
        std::fputs("usage: qrlx-grid-gallery [--screenshot OUTPUT_PNG]\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    PrepareDesktop();
    QTemporaryDir scratch;
    XtqGrid grid;
    grid.setWindowTitle(QStringLiteral("XtqGrid ギャラリー"));
    grid.SetGridFont(GothicFont(12));
    grid.SetColCount(11);
    grid.SetRowCount(10);
    grid.SetFixedCols(0);
    grid.SetFixedRows(1);
    grid.SetDefaultColWidth(84);
    grid.SetColWidths(0, 48);
    grid.SetColWidths(10, 24);
    grid.SetDefaultRowHeight(24);
    grid.SetGridLineWidth(0);
    grid.SetFixedColor(0xE0E0E0);
    grid.SetActiveCellColor(0xFFE0C0);
    grid.SetSelectCellColor(0xFFE0C0);
    grid.EnableCtrlC = true;
    Fill(grid, scratch.path());
    grid.resize(48 + 9 * 84 + 24 + 24, 24 * 7 + 3 * 64 + 24);
    grid.SetCurrentCell(6, 4);
    grid.show();
    if (screenshot) {
        QApplication::processEvents();
        return grid.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    return QApplication::exec();
}
