// The help menu: the help file, the two web pages and the information window.
#include <filesystem>

#include "app/about.h"
#include "app/mainfrm_private.h"
#include "app/versionfrm.h"
#include "data/messagebox.h"
#include "platform/qt/desktop.h"
#include "platform/shellopen.h"

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
    if (shellopen::ShellOpen(path) < 32) {
        ShowErrorMessage(this, "ヘルプファイル[%s]のオープンに失敗しました。", path.c_str());
    }
}

void TMainForm::MorvaneMenuClick() { shellopen::ShellOpen(about::kHomePage); }

void TMainForm::SupportPageMenuClick() { shellopen::ShellOpen(about::kSupportPage); }

void TMainForm::VersionInfMenuClick() {
    if (!VersionForm) {
        return;
    }
    // Above the warning log while that is shown; the main window owns it again afterwards.
    const Qt::WindowFlags flags = VersionForm->windowFlags();
    VersionForm->setParent(DialogOwner(this), flags);
    ExecOwnedDialog(*VersionForm, this);
    VersionForm->setParent(this, flags);
}
