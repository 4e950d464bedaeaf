#include "platform/qt/gridinplaceedit.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "platform/qt/qttext.h"
#include "platform/qt/stringgrid.h"

GridInplaceEdit::GridInplaceEdit(StringGrid& grid) : mGrid(&grid) { setFrame(false); }

QString GridInplaceEdit::Admitted(const QString& text) {
    QString admitted;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length - 1;
        bool passes = true;
        for (char byte : qttext::ToCp932(character)) {
            mGrid->KeyPress(byte);
            passes = passes && byte != 0;
        }
        if (passes) {
            admitted += character;
        }
    }
    return admitted;
}

void GridInplaceEdit::Type(const QString& text) {
    const QString admitted = Admitted(text);
    if (!admitted.isEmpty()) {
        insert(admitted);
        emit textEdited(this->text());  // typed, as far as the grid is concerned
    }
}

void GridInplaceEdit::keyPressEvent(QKeyEvent* event) {
    if (mGrid == nullptr) {
        return;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            char enter = '\r';
            mGrid->KeyPress(enter);
            return;
        }
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QApplication::sendEvent(mGrid, event);  // the grid moves the current cell
            return;
        case Qt::Key_Backspace: {
            char back = '\b';
            mGrid->KeyPress(back);
            if (back != 0) {
                QLineEdit::keyPressEvent(event);
            }
            return;
        }
        default:
            break;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        Type(text);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void GridInplaceEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (mGrid == nullptr || event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(Admitted(event->commitString()), event->replacementStart(),
                             event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void GridInplaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (mGrid != nullptr && QApplication::focusWidget() != mGrid) {
        mGrid->DoExit();
    }
}
