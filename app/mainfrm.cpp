// The main window's layout, set-up, state and closing; the commands are in the
// mainfrm_*.cpp files.
#include "app/mainfrm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "app/mainfrm_private.h"
#include "app/settings.h"
#include "app/warnlogfrm.h"
#include "data/formattext.h"
#include "data/messagebox.h"
#include "data/systemtext.h"
#include "engine/routesrchinterface.h"
#include "grid/resultgrid.h"
#include "platform/qt/fonts.h"
#include "platform/samefile.h"

namespace {

constexpr int kRefusalShownMs = 4000;  // then the note of the work under way is back
constexpr int kOpenerCheckMs = 200;    // how often the programs opening help or a page are asked

// A tab page whose last child (the result grid) always fills it, over the others.
class FillingPage final : public QWidget {
public:
    using QWidget::QWidget;
    QWidget* filler = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        if (filler) {
            filler->setGeometry(rect());
        }
        QWidget::resizeEvent(event);
    }
};

QLabel* Caption(const QString& text, int x, int y, QWidget* parent, int pixels = 12) {
    auto* label = new QLabel(text, parent);
    label->setFont(GothicFont(pixels, true));
    label->move(x, y);
    label->adjustSize();
    return label;
}

// A sunken, right-aligned number at least 53 x 19 pixels, wide enough for the largest count
// a user loads (7 digits) in the font actually installed.
QLabel* Counter(int x, int y, QWidget* parent) {
    auto* counter = new QLabel(parent);
    counter->setFont(GothicFont(15, true));
    counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    counter->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    counter->setIndent(2);
    const int digits = counter->fontMetrics().horizontalAdvance(QStringLiteral("9999999"));
    const int width = digits + 2 * counter->frameWidth() + 2 * counter->indent();
    counter->setGeometry(x, y, std::max(53, width), 19);
    return counter;
}

// Keeps a menu item enabled exactly while its button is, also while its menu is open: the
// button is the command's state.
class ItemFollowsButton final : public QObject {
public:
    ItemFollowsButton(QPushButton* button, QAction* item) : QObject(button), mItem(item) {
        item->setEnabled(button->isEnabled());
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange) {
            mItem->setEnabled(static_cast<QWidget*>(watched)->isEnabled());
        }
        return false;
    }

private:
    QAction* mItem;
};

QLabel* WarningIcon(int x, int y, QWidget* parent) {
    auto* icon = new QLabel(parent);
    icon->setPixmap(parent->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setGeometry(x, y, 32, 32);
    return icon;
}

}  // namespace

void TMainForm::BeginWork(WorkKind work, const QString& note) {
    mBusy = true;
    mWork = work;
    // Loads and searches change the records on the worker: the rows reading them wait.
    ResultGrid->WithholdRows(work != wkSave);
    mStoppedNote.clear();
    mBusyNote = note;
    statusBar()->showMessage(note);
    mStopShortcut->setEnabled(work != wkSave);
}

void TMainForm::NoteWork(const QString& note) {
    if (!mCloseAfterWork) {  // "closing after the work" says more
        mBusyNote = note;
        statusBar()->showMessage(note);
    }
}

void TMainForm::EndWork() {
    mBusy = false;
    ResultGrid->WithholdRows(false);
    mLoadingPath.clear();
    if (mStopQuestionOpen) {
        WithdrawQuestion();  // the run it asked about is over
    }
    ShowProgress(false);
    mStopShortcut->setEnabled(false);
    statusBar()->clearMessage();
    if (!mStoppedNote.isEmpty()) {
        statusBar()->showMessage(mStoppedNote);
    }
    if (mCloseAfterWork) {
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

TMainForm::TMainForm()
    : OpenDialog(QStringLiteral("CSVﾌｧｲﾙ (*.CSV *.csv)"), QString(), false),
      SaveDialog(EncodingTypes(QStringLiteral("CSVﾌｧｲﾙ"), QStringLiteral("*.CSV *.csv")),
                 QStringLiteral("CSV"), true),
      mProgress(std::make_unique<Progress>(*this)),
      mWorker(std::make_unique<EngineWorker>(this, *mProgress)) {
    setWindowTitle(QStringLiteral("ロトミナ"));
    setFont(GothicFont(12));
    BuildWindow();
    BuildMenus();
    FormCreate();
}

TMainForm::~TMainForm() {
    mWorker.reset();  // ends a job still using the engine
    RSIF::SetProgressDisplay(nullptr);
    if (mEngineAlive) {
        ResultGrid->ShowRows(ResultGrid->FixedRows(), nullptr);  // they read the records
        RSIF::DestroyEngine();
    }
}

void TMainForm::BuildWindow() {
    // The strip of counters and commands keeps its height; the tab page takes the rest.
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* strip = new QWidget(central);
    strip->setFixedHeight(81);
    column->addWidget(strip);
    BuildStrip(strip);
    auto* rule = new QFrame(central);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    rule->setFixedHeight(3);
    column->addWidget(rule);

    tqGrid1 = new tqGrid(central);
    tqGrid1->hide();
    auto* tabs = new QTabWidget(central);
    column->addWidget(tabs, 1);
    // Every command of the strip and a few grid rows stay visible at the smallest size.
    central->setMinimumSize(ResultPreservBtn->geometry().right() + 9, 81 + 3 + 180);
    resize(726, 439 + 48);
    auto* page = new FillingPage();
    tabs->addTab(page, QStringLiteral("検索指示＆結果表示"));
    BuildResultPage(page);
    page->filler = ResultGrid;
    statusBar()->setSizeGripEnabled(true);
    // A menu's tips and a refusal pass over the strip; while work runs, its note comes back.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (mBusy && message.isEmpty()) {
            statusBar()->showMessage(mBusyNote);
        }
    });
    // While work runs, Escape stops it from every window of the program (the log's too).
    mStopShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    mStopShortcut->setContext(Qt::ApplicationShortcut);
    mStopShortcut->setEnabled(false);
    connect(mStopShortcut, &QShortcut::activated, this, [this] { StopAsked(); });
    mOpenerCheck = new QTimer(this);
    mOpenerCheck->setInterval(kOpenerCheckMs);
    connect(mOpenerCheck, &QTimer::timeout, this, [this] { OpenersChecked(); });
}

void TMainForm::BuildStrip(QWidget* strip) {
    Caption(QStringLiteral("ノード数"), 12, 10, strip);
    NodeNumSText = Counter(84, 8, strip);
    Caption(QStringLiteral("検索指示数"), 8, 34, strip);
    DRNumSText = Counter(84, 32, strip);
    Caption(QStringLiteral("検索成功数"), 8, 58, strip);
    SuccessNumSText = Counter(84, 56, strip);
    MAPCheckBox = new QCheckBox(strip);
    MAPCheckBox->move(168, 8);
    MAPCheckBox->setEnabled(false);
    Caption(QStringLiteral("マップファイル"), 188, 10, strip);
    MAPFileReadBtn = new QPushButton(QStringLiteral("読込み"), strip);
    MAPFileReadBtn->setGeometry(288, 4, 93, 25);
    DRFCheckBox = new QCheckBox(strip);
    DRFCheckBox->move(168, 44);
    DRFCheckBox->setEnabled(false);
    Caption(QStringLiteral("検索指示ファイル"), 188, 46, strip);
    ReadRefDirFileBtn = new QPushButton(QStringLiteral("読込み"), strip);
    ReadRefDirFileBtn->setGeometry(288, 40, 93, 25);
    SearchBtn = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay),
                                QStringLiteral("検索実行"), strip);
    SearchBtn->setGeometry(388, 4, 117, 61);
    ResultPreservBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton),
                                       QStringLiteral("結果保存"), strip);
    ResultPreservBtn->setGeometry(512, 4, 93, 61);
    ReadRefDirFileBtn->setEnabled(false);
    SearchBtn->setEnabled(false);
    ResultPreservBtn->setEnabled(false);
    connect(MAPFileReadBtn, &QPushButton::clicked, this, [this] { MapFileReadMenuClick(); });
    connect(ReadRefDirFileBtn, &QPushButton::clicked, this, [this] { ReadRefDirFileMenuClick(); });
    connect(SearchBtn, &QPushButton::clicked, this, [this] { SearchBtnClick(); });
    connect(ResultPreservBtn, &QPushButton::clicked, this, [this] { ResultPreservBtnClick(); });
}

void TMainForm::BuildResultPage(QWidget* page) {
    MAPWarnImage = WarningIcon(100, 24, page);
    MAPWarnLabel =
        Caption(QStringLiteral("マップファイルが読み込まれていません"), 136, 36, page, 13);
    DRWarnImage = WarningIcon(100, 64, page);
    DRWarnLabel =
        Caption(QStringLiteral("検索指示ファイルが読み込まれていません"), 136, 76, page, 13);
    ProgLabel = Caption(QStringLiteral("進捗状況"), 100, 144, page);
    ProgressBar = new QProgressBar(page);
    ProgressBar->setGeometry(100, 164, 333, 16);
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    ResultGrid = new tqGrid(page);
    ShowProgress(false);
    ResultGrid->hide();
    ConfigureResultGrid(*ResultGrid);
    ResultGrid->OnCellState = [this](tqGrid& grid, int row, int col, bool standard,
                                     CellStateCL& state) {
        ResultGridCellState(grid, row, col, standard, state);
    };
}

void TMainForm::BuildMenus() {
    QStyle* look = style();
    FileMenu = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    MapFileReadMenu = FileMenu->addAction(look->standardIcon(QStyle::SP_DialogOpenButton),
                                          QStringLiteral("マップファイルの読込み(&M)"));
    ReadRefDirFileMenu = FileMenu->addAction(look->standardIcon(QStyle::SP_DialogOpenButton),
                                             QStringLiteral("検索指示ファイルの読込み(&F)"));
    FileMenu->addSeparator();
    ResultPreservMenu = FileMenu->addAction(look->standardIcon(QStyle::SP_DialogSaveButton),
                                            QStringLiteral("検索結果ファイルの保存(&S)"));
    FileMenu->addSeparator();
    EndMenu = FileMenu->addAction(QStringLiteral("終了(&X)"));
    RunMenu = menuBar()->addMenu(QStringLiteral("実行(&R)"));
    SearchMenu = RunMenu->addAction(look->standardIcon(QStyle::SP_MediaPlay),
                                    QStringLiteral("最短経路の検索(&S)"));
    H1 = menuBar()->addMenu(QStringLiteral("ヘルプ情報(&H)"));
    HelpMenu = H1->addAction(QStringLiteral("ロトミナ ヘルプ(&H)"));
    H1->addSeparator();
    MorvaneMenu = H1->addAction(QStringLiteral("モルヴェインホームページ(&S)"));
    SupportPageMenu = H1->addAction(QStringLiteral("ロトミナ サポートページ(&R)"));
    H1->addSeparator();
    VersionInfMenu = H1->addAction(QStringLiteral("バージョン情報(&A)"));

    new ItemFollowsButton(ReadRefDirFileBtn, ReadRefDirFileMenu);
    new ItemFollowsButton(ResultPreservBtn, ResultPreservMenu);
    new ItemFollowsButton(SearchBtn, SearchMenu);
    connect(MapFileReadMenu, &QAction::triggered, this, [this] { MapFileReadMenuClick(); });
    connect(ReadRefDirFileMenu, &QAction::triggered, this, [this] { ReadRefDirFileMenuClick(); });
    connect(ResultPreservMenu, &QAction::triggered, this, [this] { ResultPreservBtnClick(); });
    connect(EndMenu, &QAction::triggered, this, [this] { EndMenuClick(); });
    connect(SearchMenu, &QAction::triggered, this, [this] { SearchBtnClick(); });
    connect(HelpMenu, &QAction::triggered, this, [this] { HelpMenuClick(); });
    connect(MorvaneMenu, &QAction::triggered, this, [this] { MorvaneMenuClick(); });
    connect(SupportPageMenu, &QAction::triggered, this, [this] { SupportPageMenuClick(); });
    connect(VersionInfMenu, &QAction::triggered, this, [this] { VersionInfMenuClick(); });
}

void TMainForm::FormCreate() {
    SetMessageCaption("ロトミナ");
    for (int row = 0; row < kResultGridHeaderRows; ++row) {
        for (int col = 0; col < ResultGrid->ColCount(); ++col) {
            ResultGrid->SetCellStrPos(row, col, spCenter, spMiddle);
        }
    }
    tqGrid& grid = *ResultGrid;
    grid.MergeCells(0, 1, 0, 0);
    grid.WriteCell(0, 0, SystemText("結果"));
    grid.MergeCells(0, 1, 1, 1);
    grid.WriteCell(0, 1, SystemText("検索名称"));
    grid.MergeCells(0, 0, 2, 3);
    grid.WriteCell(0, 2, SystemText("検索指示ノード名"));
    grid.WriteCell(1, 2, SystemText("始点"));
    grid.WriteCell(1, 3, SystemText("終点"));
    grid.MergeCells(0, 0, 4, 5);
    grid.WriteCell(0, 4, SystemText("検索結果値"));
    grid.WriteCell(1, 4, SystemText("ノード数"));
    grid.WriteCell(1, 5, SystemText("距離"));
    grid.MergeCells(0, 0, 6, 10);
    grid.WriteCell(0, 6, SystemText("通過ノード"));
    const char* digits[] = {SystemText("１"), SystemText("２"), SystemText("３"), SystemText("４"),
                            SystemText("５")};
    for (int k = 0; k < 5; ++k) {
        grid.WriteCell(1, 6 + k, digits[k]);
    }
    RSIF::CreateEngine();
    mEngineAlive = true;
    RSIF::SetProgressDisplay(mWorker->Display());  // the engine runs on the worker only
    OpenDialog.InitialDir = settings::Read(settings::kReadDirKey);
    SaveDialog.InitialDir = settings::Read(settings::kWriteDirKey);
}

void TMainForm::ShowProgress(bool shown) {
    ProgLabel->setVisible(shown);
    ProgressBar->setVisible(shown);
}

bool TMainForm::CheckRead(const RSIF::typReadOutcome& outcome, const std::string& path,
                          RSIF::FileKind kind) {
    if (outcome.code == RSIF::rrRead) {
        return true;
    }
    ShowErrorMessage(this, "%s", RSIF::ReadFailureMessage(outcome, path, kind).c_str());
    return false;
}

std::string TMainForm::InputClash(const std::string& output) const {
    for (const std::string* input : {&mMapPath, &mInstructionsPath, &mLoadingPath}) {
        if (!input->empty() && SameFile(output, *input)) {
            return FormatText("出力ファイル[%s]は入力ファイル[%s]と同じファイルです。",
                              output.c_str(), input->c_str());
        }
    }
    return {};
}

void TMainForm::ShowScratchFailure() {
    ShowErrorMessage(this, "%s", RSIF::ScratchFailureMessage().c_str());
}

void TMainForm::EndMenuClick() { close(); }

bool TMainForm::Refused(const QPushButton* command) {
    if (!mBusy && (command == nullptr || command->isEnabled())) {
        return false;
    }
    QApplication::beep();
    statusBar()->showMessage(
        mBusy
            ? QStringLiteral("処理中のため、この操作はできません。処理が終わるまでお待ちください。")
            : QStringLiteral("この操作は現在できません。"),
        kRefusalShownMs);
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (mBusy) {
        // The work under way uses the engine's data: close when it ends. A load or a search
        // is stopped (a search ends after the searches under way); a save ends whole.
        mCloseAfterWork = true;
        if (mWork != wkSave) {
            mWorker->Stop();
        }
        mBusyNote = QStringLiteral("実行中の処理を終えてから終了します。");
        statusBar()->showMessage(mBusyNote);
        event->ignore();
        return;
    }
    // Off the screen first: freeing a large network and its results takes a while.
    if (WarnLogForm) {
        WarnLogForm->close();
    }
    hide();
    RSIF::SetProgressDisplay(nullptr);
    if (mEngineAlive) {
        ResultGrid->ShowRows(ResultGrid->FixedRows(), nullptr);  // they read the records
        RSIF::DestroyEngine();
        mEngineAlive = false;
    }
    event->accept();
}
