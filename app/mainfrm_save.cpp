// The save command: the results as a CSV result file.
#include <filesystem>
#include <memory>
#include <string>

#include "app/mainfrm_private.h"
#include "app/settings.h"
#include "data/messagebox.h"
#include "engine/readfailure.h"
#include "engine/resultfile.h"
#include "platform/filereason.h"

void TMainForm::ResultPreservBtnClick() {
    if (Refused(ResultPreservBtn)) {
        return;
    }
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
    BeginWork(wkSave,
              QStringLiteral("検索結果を保存しています。保存が終わるまで他の操作はできません。"));
    struct Save {
        bool remembered = false;
        FileFailure failure;
    };
    auto save = std::make_shared<Save>();
    const codepage::TextEncoding encoding = TypeEncoding(SaveDialog.FilterIndex);
    mWorker->Start(
        [save, path, encoding] {
            // The folder first: when it cannot be remembered the save ends there.
            save->remembered = settings::Write(settings::kWriteDirKey, DirectoryOf(path));
            if (!save->remembered) {
                return;
            }
            save->failure = RSIF::SaveResultFile(path, encoding);
        },
        [this, save, path](EngineWorker::Ending ending) {
            const EndWorkScope ended(*this);
            ResultGrid->show();
            if (!save->remembered) {
                settings::ShowWriteFailure(this);
            } else if (ending == EngineWorker::weOutOfMemory) {
                ShowErrorMessage(this, "%s", RSIF::OutOfMemoryMessage().c_str());
            } else if (!save->failure) {
                ShowInfoMessage(this, "検索結果ファイル[%s]の保存が完了しました。", path.c_str());
            } else {
                ShowErrorMessage(this, "%s",
                                 RSIF::WriteFailureMessage(RSIF::okResults, path,
                                                           FileFailureReason(save->failure))
                                     .c_str());
            }
        });
}
