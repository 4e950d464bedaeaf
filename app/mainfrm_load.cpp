// The two load commands: the map file and the search-instruction file.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <memory>

#include "app/mainfrm_private.h"
#include "app/resultrows.h"
#include "app/settings.h"
#include "app/warnlogfrm.h"
#include "data/messagebox.h"
#include "engine/readfailure.h"
#include "engine/routesrchinterface.h"
#include "platform/helperthreads.h"

namespace {

const QString kLoadNote =
    QStringLiteral("ファイルを読込んでいます。読込みが終わるまで他の操作はできません。");
const QString kMapBuildNote =
    QStringLiteral("道路網を作成しています。作成が終わるまで他の操作はできません。");
const QString kListBuildNote =
    QStringLiteral("検索指示を確認しています。確認が終わるまで他の操作はできません。");

}  // namespace

void TMainForm::MapFileReadMenuClick() {
    if (Refused(nullptr)) {
        return;
    }
    const bool hasData = RSIF::GetNodes().GetCount() > 0 || RSIF::GetDRFList().Count() > 0;
    if (hasData &&
        AskYesNo(this, "マップファイルを読込むと、これまでの情報は消去されます、続行しますか。")) {
        return;
    }
    if (!OpenDialog.Execute(this)) {
        return;
    }
    const std::string path = OpenDialog.FileName;
    const bool gridShown = !ResultGrid->isHidden();
    ResultGrid->hide();  // its rows read the records a built map replaces
    BeginWork(wkLoad, kLoadNote);
    mLoadingPath = path;
    auto load = std::make_shared<RSIF::typMapLoad>();
    auto titlesRead = std::make_shared<bool>(false);
    mWorker->Start(
        [this, path, load, titlesRead] {
            *load = RSIF::LoadMap({path, {}}, DefaultThreadCount(), [&] {
                *titlesRead = TitlesRead(path, kMapBuildNote);
                return *titlesRead;
            });
            if (*titlesRead) {
                // The instructions of the earlier map go with it, freed here: the window's
                // thread would stop answering for the while half a million results take.
                RSIF::GetDRFList().Clear();
            }
        },
        [this, path, load, titlesRead, gridShown](EngineWorker::Ending ending) {
            MapLoadEnded(ending, path, *load, *titlesRead, gridShown);
        });
}

bool TMainForm::TitlesRead(const std::string& path, const QString& nextNote) {
    if (mWorker->StopAsked()) {
        throw WorkStopped{};  // a stopped load remembers nothing
    }
    if (!settings::Write(settings::kReadDirKey, DirectoryOf(path))) {
        mWorker->Post([this] { settings::ShowWriteFailure(this); });
        return false;
    }
    mWorker->Post([this, nextNote] { NoteWork(nextNote); });
    return true;
}

bool TMainForm::LoadChangedNothing(EngineWorker::Ending ending, const RSIF::typReadOutcome& read,
                                   bool titlesRead, const std::string& path, RSIF::FileKind kind,
                                   bool gridShown) {
    if (ending == EngineWorker::weOutOfMemory) {
        ShowErrorMessage(this, "%s", RSIF::OutOfMemoryMessage().c_str());
    }
    if (ending == EngineWorker::weStopped) {
        mStoppedNote = QStringLiteral("読込みを中止しました。");
    } else if (ending == EngineWorker::weFinished && read.code != RSIF::rrStopped &&
               read.code != RSIF::rrRead) {
        CheckRead(read, path, kind);
    }
    if (ending != EngineWorker::weStopped && titlesRead) {
        return false;
    }
    ResultGrid->setVisible(gridShown);
    return true;
}

void TMainForm::MapLoadEnded(EngineWorker::Ending ending, const std::string& path,
                             RSIF::typMapLoad& load, bool titlesRead, bool gridShown) {
    const EndWorkScope ended(*this);
    if (LoadChangedNothing(ending, load, titlesRead, path, RSIF::fkMap, gridShown)) {
        return;
    }
    const bool built = ending == EngineWorker::weFinished && load.code == RSIF::rrRead;
    mMapPath = built ? path : std::string();
    mInstructionsPath.clear();
    NodeNumSText->setNum(RSIF::GetNodes().GetCount());
    DRNumSText->clear();
    SuccessNumSText->clear();
    // The records went on the worker (unless memory ran out first), and with them the rows
    // that read them.
    ResultGrid->ShowRows(ResultGrid->FixedRows(), nullptr);
    RSIF::GetDRFList().Clear();
    MAPCheckBox->setChecked(built);
    DRFCheckBox->setChecked(false);
    ReadRefDirFileBtn->setEnabled(built);
    SearchBtn->setEnabled(false);
    ResultPreservBtn->setEnabled(false);
    MAPWarnLabel->setVisible(!built);
    MAPWarnImage->setVisible(!built);
    DRWarnImage->show();
    DRWarnLabel->show();
    if (WarnLogForm) {
        WarnLogForm->HandOver(load.warnings);
    }
}

void TMainForm::ReadRefDirFileMenuClick() {
    if (Refused(nullptr)) {
        return;
    }
    if (RSIF::GetNodes().GetCount() == 0) {
        ShowErrorMessage(this, "マップファイルが読込まれていません。");
        return;
    }
    if (RSIF::GetDRFList().Count() > 0 &&
        AskYesNo(this,
                 "検索指示ファイルを読込むと、これまでの検索結果は消去されます、続行しますか。")) {
        return;
    }
    if (!OpenDialog.Execute(this)) {
        return;
    }
    const std::string path = OpenDialog.FileName;
    const bool gridShown = !ResultGrid->isHidden();
    ResultGrid->hide();  // its rows read the records the load replaces
    BeginWork(wkLoad, kLoadNote);
    mLoadingPath = path;
    struct Load {
        RSIF::typReadOutcome read;
        bool titlesRead = false;
        bool built = false;
        tqList<tqString> warnings;
    };
    auto load = std::make_shared<Load>();
    mWorker->Start(
        [this, path, load] {
            load->read = RSIF::ReadDRF({path, {}});
            load->titlesRead = load->read.code == RSIF::rrRead && TitlesRead(path, kListBuildNote);
            load->built = load->titlesRead && RSIF::MakeDRFList(load->warnings);
        },
        [this, path, load, gridShown](EngineWorker::Ending ending) {
            const EndWorkScope ended(*this);
            if (LoadChangedNothing(ending, load->read, load->titlesRead, path, RSIF::fkInstructions,
                                   gridShown)) {
                return;
            }
            mInstructionsPath = path;
            if (!load->built && ending == EngineWorker::weFinished) {
                ShowScratchFailure();  // the list is empty: shown as no instructions below
            }
            ShowInstructions(load->built, load->warnings);
        });
}

void TMainForm::ShowInstructions(bool built, const tqList<tqString>& warnings) {
    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    ResultGrid->ShowRows(ResultGrid->FixedRows(), std::make_shared<ResultRows>(list, 0));
    DRNumSText->setNum(list.Count());
    SuccessNumSText->clear();
    DRFCheckBox->setChecked(built);
    ResultGrid->show();
    SearchBtn->setEnabled(built);
    ResultPreservBtn->setEnabled(false);
    DRWarnImage->setVisible(!built);
    DRWarnLabel->setVisible(!built);
    if (WarnLogForm) {
        WarnLogForm->HandOver(warnings);
    }
}
