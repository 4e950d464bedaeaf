#include "app/messagepresenter.h"

#include <QMessageBox>
#include <QWidget>

#include <utility>

#include "platform/qt/desktop.h"

MessageAnswer QtMessagePresenter::Present(MessageOwner owner, MessageKind kind,
                                          const std::string& caption, const std::string& text) {
    auto* requested = static_cast<QWidget*>(owner);
    QMessageBox box(DialogOwner(requested));
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    if (kind == mkQuestion) {
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        QMessageBox* outer = std::exchange(mQuestion, &box);
        const int answer = ExecOwnedDialog(box, requested);
        mQuestion = outer;
        return answer == QMessageBox::Yes ? maYes : maNo;
    }
    box.setIcon(kind == mkError ? QMessageBox::Critical : QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    ExecOwnedDialog(box, requested);
    return maOk;
}

void QtMessagePresenter::WithdrawQuestion() {
    if (mQuestion) {
        mQuestion->done(QMessageBox::No);
    }
}
