// The help menu: the help file, the two web pages and the information window.
#include <QStatusBar>
#include <QTimer>

#include <chrono>
#include <filesystem>

#include "app/about.h"
#include "app/mainfrm_private.h"
#include "app/versionfrm.h"
#include "data/messagebox.h"
#include "platform/qt/desktop.h"
#include "platform/shellopen.h"

namespace {

// How long a help viewer started is taken to be still on its way: a desktop's opener may end
// at once, long before its viewer shows, and a second click would start a second viewer.
constexpr std::chrono::seconds kHelpShowing{5};

QString NoProgramNote(const std::string& address) {
    return QStringLiteral("%1 を開くプログラムがありません。").arg(QString::fromStdString(address));
}

}  // namespace

std::string TMainForm::HelpFilePath(const std::string& programDirectory) {
    const std::string beside = programDirectory + "/qrlx.chm";
    const std::filesystem::path installed = programDirectory + "/../share/qrlx/qrlx.chm";
    std::error_code error;
    if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error)) {
        return std::filesystem::weakly_canonical(installed, error).string();
    }
    return beside;
}

void TMainForm::HelpMenuClick() {
    const std::string path = HelpFilePath(shellopen::ExecutableDirectory());
    const auto now = std::chrono::steady_clock::now();
    if (shellopen::StillOpening(path) || (mHelpOpenedAt && now - *mHelpOpenedAt < kHelpShowing)) {
        statusBar()->showMessage(QStringLiteral("ヘルプは既に開いています。"));
        return;
    }
    if (shellopen::ShellOpen(path) < 32) {
        ShowErrorMessage(this, "ヘルプファイル[%s]のオープンに失敗しました。", path.c_str());
        return;
    }
    mHelpOpenedAt = now;
    WatchOpeners();
}

void TMainForm::MorvaneMenuClick() { OpenPage(about::kHomePage); }

void TMainForm::SupportPageMenuClick() { OpenPage(about::kSupportPage); }

void TMainForm::OpenPage(const char* address) {
    if (shellopen::ShellOpen(address) < 32) {
        statusBar()->showMessage(NoProgramNote(address));
        return;
    }
    WatchOpeners();
}

void TMainForm::WatchOpeners() {
    if (!mOpenerCheck->isActive()) {
        mOpenerCheck->start();
    }
}

void TMainForm::OpenersChecked() {
    const std::string help = HelpFilePath(shellopen::ExecutableDirectory());
    for (const shellopen::EndedOpener& ended : shellopen::EndedOpeners()) {
        if (ended.opened) {
            continue;
        }
        if (ended.target == help) {
            ShowErrorMessage(this, "ヘルプファイル[%s]のオープンに失敗しました。", help.c_str());
        } else {
            statusBar()->showMessage(NoProgramNote(ended.target));
        }
    }
    if (!shellopen::AnyOpening()) {
        mOpenerCheck->stop();
    }
}

void TMainForm::VersionInfMenuClick() {
    if (!VersionForm) {
        return;
    }
    // Above the warning log while that is shown; the main window owns it again afterwards.
    const Qt::WindowFlags flags = VersionForm->windowFlags();
    VersionForm->setParent(DialogOwner(this), flags);
    ExecOwnedDialog(*VersionForm, this);
    VersionForm->setParent(this, flags);
    if (shellopen::AnyOpening()) {  // its links started openers: their answers are watched
        WatchOpeners();
    }
}
