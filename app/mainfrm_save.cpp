// The save command: the results as a CSV result file.
#include <cerrno>
#include <filesystem>
#include <string>

#include "app/mainfrm_private.h"
#include "app/settings.h"
#include "data/messagebox.h"
#include "data/tsltab.h"
#include "engine/resultfile.h"
#include "platform/filereason.h"

void TMainForm::ResultPreservBtnClick() {
    if (RefusedWhileBusy()) {
        return;
    }
    TSLtabCL table;
    if (!SaveDialog.Execute(this)) {
        return;
    }
    const std::string path = SaveDialog.FileName;
    if (const std::string clash = InputClash(path); !clash.empty()) {
        ShowErrorMessage(this, "%s", clash.c_str());
        return;
    }
    if (std::filesystem::exists(path) &&
        AskYesNo(this, "指定されたファイル[%s]は既に存在します、上書きしますか。", path.c_str())) {
        return;
    }
    if (!settings::Write(this, settings::kWriteDirKey, DirectoryOf(path))) {
        return;
    }
    bool saved = false;
    std::string failure;
    {
        BusyScope busy(
            *this,
            QStringLiteral("検索結果を保存しています。保存が終わるまで他の操作はできません。"));
        RSIF::FillResultTable(table);
        ProgressRun progress(mProgress.get(), 100);
        table.SetProgressHook([&](uint64_t done, uint64_t total) { progress.Part(done, total); });
        errno = 0;
        saved = table.SaveCsvFile(path);
        failure = FileFailureReason(FileFailure::Now(FileFailure::fdWriting));
        table.SetProgressHook({});
    }
    ResultGrid->show();
    if (saved) {
        ShowInfoMessage(this, "検索結果ファイル[%s]の保存が完了しました。", path.c_str());
    } else {
        ShowErrorMessage(this, "検索結果ファイル[%s]の保存に失敗しました。%s", path.c_str(),
                         ReasonSuffix(failure).c_str());
    }
}
