// The in-place cell editor of a StringGrid: a line editor that hands every character typed
// into it (or committed by the input method) to the grid's KeyPress, one CP932 byte at a
// time, before inserting it, and drops a character whose byte the grid set to 0.
#pragma once

#include <QLineEdit>

class StringGrid;

class GridInplaceEdit : public QLineEdit {
public:
    explicit GridInplaceEdit(StringGrid& grid);

    // Inserts `text` as if it were typed here.
    void Type(const QString& text);
    // Stops telling the grid anything: the grid is being destroyed, and the editor's
    // focus-out as the window goes must not call into what is left of it.
    void ForgetGrid() { mGrid = nullptr; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The characters of `text` that the grid lets in.
    QString Admitted(const QString& text);

    StringGrid* mGrid;
};
