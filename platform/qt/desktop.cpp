#include "platform/qt/desktop.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include "platform/qt/fonts.h"
#include "platform/shellopen.h"

void PrepareDesktop() {
    RegisterFontSubstitutes();
    QApplication::setFont(GothicFont(12));
    // Japanese whatever the system's locale, in the standard dialogs too (file types).
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    static QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    // Qt's file dialog keeps a history of its own in a user settings file, which it cannot be
    // told not to write. The program remembers its folders itself, so Qt's user settings go
    // to a place where no file can be made.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    // The desktop matches the windows to the menu entry by its name, and shows its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("qrlx"));
    QApplication::setWindowIcon(ProgramIcon(shellopen::ExecutableDirectory()));
}

QIcon ProgramIcon(const std::string& programDirectory) {
    QIcon icon = QIcon::fromTheme(QStringLiteral("qrlx"));
    if (icon.isNull()) {  // installed under a prefix the icon theme does not search
        const QString sizes[] = {QStringLiteral("256x256"), QStringLiteral("48x48"),
                                 QStringLiteral("16x16")};
        for (const QString& size : sizes) {
            const QString file = QString::fromStdString(programDirectory) +
                                 QStringLiteral("/../share/icons/hicolor/") + size +
                                 QStringLiteral("/apps/qrlx.png");
            if (QFileInfo::exists(file)) {
                icon.addFile(file);
            }
        }
    }
    return icon;
}

QWidget* DialogOwner(QWidget* requested) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    QWidget* window = requested ? requested->window() : nullptr;
    for (QWidget* shown : QApplication::topLevelWidgets()) {
        if (window && shown->windowType() == Qt::Dialog && shown->isVisible() &&
            !shown->isModal() && shown->parentWidget() == window) {
            return shown;
        }
    }
    return window;
}

int ExecOwnedDialog(QDialog& dialog, QWidget* requested) {
    const int result = dialog.exec();
    QWidget* window = requested ? requested->window() : nullptr;
    if (window && window->isVisible() && dialog.parentWidget() != window &&
        QApplication::activeModalWidget() == nullptr) {
        window->activateWindow();
        // Once more when the window manager has settled the closing: on a busy machine
        // it may hand the focus to the dialog's owner after the first request.
        constexpr int kSettleMs = 150;
        QTimer::singleShot(kSettleMs, window, [window] {
            if (window->isVisible() && QApplication::activeModalWidget() == nullptr) {
                window->activateWindow();
            }
        });
    }
    return result;
}
