#include "app/messagepresenter.h"

#include <QMessageBox>
#include <QWidget>

#include "platform/qt/desktop.h"

MessageAnswer QtMessagePresenter::Present(MessageOwner owner, MessageKind kind,
                                          const std::string& caption, const std::string& text) {
    QMessageBox box(DialogOwner(static_cast<QWidget*>(owner)));
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    if (kind == mkQuestion) {
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? maYes : maNo;
    }
    box.setIcon(kind == mkError ? QMessageBox::Critical : QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return maOk;
}
