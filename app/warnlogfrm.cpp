#include "app/warnlogfrm.h"

#include <QAbstractListModel>
#include <QGroupBox>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>
#include <new>

#include "data/messagebox.h"
#include "engine/readfailure.h"
#include "engine/resultfile.h"
#include "platform/filereason.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qttext.h"

// A save of the log: what it writes, where, and how it ended.
struct TWarnLogForm::Save {
    std::vector<std::string> lines;
    std::string path;
    codepage::TextEncoding encoding = codepage::TextEncoding::cp932;
    FileFailure failure;
    bool outOfMemory = false;
};

// The log's lines as the list shows them, decoded only when a row is drawn, so that a load
// with hundreds of thousands of rejected rows hands them over at once.
class WarnLogLines final : public QAbstractListModel {
public:
    WarnLogLines(const std::vector<std::string>& lines, QObject* parent)
        : QAbstractListModel(parent), mLines(lines) {}
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(mLines.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) {
            return {};
        }
        return qttext::FromCp932(mLines[static_cast<size_t>(index.row())]);
    }
    // Around every change of the lines.
    void BeginChange() { beginResetModel(); }
    void EndChange() { endResetModel(); }

private:
    const std::vector<std::string>& mLines;
};

TWarnLogForm::TWarnLogForm(QWidget* mainWindow, OutputCheck outputClash)
    // A dialog of the main window: the window manager keeps it above that window, but not
    // above other programs' windows (the help viewer).
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                              Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      SaveDialog(EncodingTypes(QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ"), QStringLiteral("*.TXT *.txt")),
                 QStringLiteral("TXT"), true),
      mOutputClash(std::move(outputClash)) {
    setWindowTitle(QStringLiteral("ロトミナ(QRLX)"));
    setFixedSize(404, 326);
    setModal(false);
    // A report beside the main window: shown by a load, it leaves the keyboard where it was.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(GothicFont(12));
    GroupBox1 = new QGroupBox(QStringLiteral("警告ログの表示"), this);
    GroupBox1->setGeometry(8, 4, 388, 278);
    WarnLogListBox = new QListView(GroupBox1);
    WarnLogListBox->setUniformItemSizes(true);
    mListed = new WarnLogLines(mLines, this);
    WarnLogListBox->setModel(mListed);
    auto* layout = new QVBoxLayout(GroupBox1);
    layout->addWidget(WarnLogListBox);
    LogSaveBtn = new QPushButton(QStringLiteral("ログの保存"), this);
    LogSaveBtn->setGeometry(216, 290, 88, 28);
    CancelBtn = new QPushButton(QStringLiteral("閉じる"), this);
    CancelBtn->setGeometry(308, 290, 88, 28);
    connect(LogSaveBtn, &QPushButton::clicked, this, [this] { LogSaveBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
}

TWarnLogForm::~TWarnLogForm() = default;  // a save under way ends first

void TWarnLogForm::HandOver(const tqList<tqString>& warnings) {
    mListed->BeginChange();
    mLines.clear();
    mLines.reserve(static_cast<size_t>(warnings.Count()));
    for (int i = 0; i < warnings.Count(); ++i) {
        const tqString* text = warnings.Get(i);
        mLines.emplace_back(text ? text->GetText() : "");
    }
    mListed->EndChange();
    if (!mLines.empty()) {
        show();
        raise();
    } else {
        hide();
    }
}

void TWarnLogForm::showEvent(QShowEvent* event) {
    if (mLastPosition) {
        // The inner corner: where the frame goes is the window manager's business, and a
        // frame corner given again would move the window down by its title bar.
        setGeometry(QRect(*mLastPosition, size()));
    } else if (QWidget* main = parentWidget()) {
        move(main->geometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

void TWarnLogForm::hideEvent(QHideEvent* event) {
    mLastPosition = geometry().topLeft();
    QDialog::hideEvent(event);
}

void TWarnLogForm::CancelBtnClick() { hide(); }

void TWarnLogForm::LogSaveBtnClick() {
    if (!SaveDialog.Execute(this)) {
        return;
    }
    const std::string& path = SaveDialog.FileName;
    if (const std::string clash = mOutputClash ? mOutputClash(path) : std::string();
        !clash.empty()) {
        ShowErrorMessage(this, "%s", clash.c_str());
        return;
    }
    if (std::filesystem::exists(path) &&
        AskYesNo(this, "指定されたファイル[%s]は既に存在します、上書きしますか。", path.c_str())) {
        return;
    }
    // The lines as they are now: a load may hand over others while they are written.
    mSave = std::make_shared<Save>();
    mSave->lines = mLines;
    mSave->path = path;
    mSave->encoding = TypeEncoding(SaveDialog.FilterIndex);
    LogSaveBtn->setEnabled(false);
    mSaving = std::make_unique<HelperThreads>(1);
    // The save posts its end, as the main window's jobs do; the window, which joins the
    // helper before it goes, drops the posted end with itself.
    mSaving->Run([this, save = mSave] {
        try {
            tqList<tqString> lines;
            lines.Reserve(static_cast<int32_t>(save->lines.size()));
            for (const std::string& line : save->lines) {
                lines.Add(std::make_unique<tqString>(line.c_str()));
            }
            save->failure = RSIF::SaveWarningLog(save->path, lines, save->encoding);
        } catch (const std::bad_alloc&) {
            save->outOfMemory = true;
        }
        QMetaObject::invokeMethod(
            this, [this] { SaveEnded(); }, Qt::QueuedConnection);
    });
}

void TWarnLogForm::SaveEnded() {
    mSaving.reset();
    const std::shared_ptr<Save> save = std::move(mSave);
    LogSaveBtn->setEnabled(true);
    if (save->outOfMemory) {
        ShowErrorMessage(this, "%s", RSIF::OutOfMemoryMessage().c_str());
    } else if (save->failure) {
        ShowErrorMessage(this, "%s",
                         RSIF::WriteFailureMessage(RSIF::okWarningLog, save->path,
                                                   FileFailureReason(save->failure))
                             .c_str());
    }
}
