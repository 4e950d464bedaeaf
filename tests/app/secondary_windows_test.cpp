// The warning-log, information and splash windows, and the help menu.
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/about.h"
#include "app/titlefrm.h"
#include "app/versionfrm.h"
#include "app_fixture.h"
#include "platform/qt/desktop.h"
#include "platform/shellopen.h"

namespace {

// Hands the texts to the window as a load would.
void HandOver(TWarnLogForm& log, std::initializer_list<const char*> utf8) {
    tqList<tqString> list;
    for (const char* text : utf8) {
        list.Add(std::make_unique<tqString>(codepage::Utf8ToCp932(text).c_str()));
    }
    log.HandOver(list);
}

TEST_F(AppTest, WarningLogShowsClosesAndKeepsOnlyTheNewLines) {
    HandOver(*warnLog, {"[0001]行:一", "[0002]行:二", "[0003]行:三"});
    EXPECT_FALSE(warnLog->isHidden());
    EXPECT_EQ(warnLog->WarnLogListBox->model()->rowCount(), 3);
    EXPECT_EQ(warnLog->WarnLogListBox->model()->index(1, 0).data().toString().toStdString(),
              "[0002]行:二");
    warnLog->CancelBtn->click();
    EXPECT_TRUE(warnLog->isHidden());
    EXPECT_EQ(warnLog->WarnLogListBox->model()->rowCount(), 3);
    HandOver(*warnLog, {"[0009]行:新"});
    EXPECT_FALSE(warnLog->isHidden());
    EXPECT_EQ(warnLog->WarnLogListBox->model()->rowCount(), 1);
    HandOver(*warnLog, {});
    EXPECT_TRUE(warnLog->isHidden());
    EXPECT_EQ(warnLog->WarnLogListBox->model()->rowCount(), 0);
    // Above the main window as its dialog, not above every program (the help viewer).
    EXPECT_EQ(warnLog->parentWidget(), form.get());
    EXPECT_FALSE(warnLog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(warnLog->windowTitle().toStdString(), "ロトミナ(QRLX)");
}

TEST_F(AppTest, WarningLogSavesTheReceivedBytesWithCrLf) {
    // The save runs beside the window; it has ended when the log is no longer saving.
    auto save = [this] {
        warnLog->LogSaveBtnClick();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !warnLog->IsSaving(); }, 10000));
        EXPECT_TRUE(warnLog->LogSaveBtn->isEnabled());
    };
    HandOver(*warnLog, {"[0001]行:一", "[0002]行:二"});
    const std::string path = files.Path("log.txt");
    chooser.answers.push_back(path);
    save();
    EXPECT_EQ(TempDir::Read(path), Cp932File("[0001]行:一\n[0002]行:二\n"));

    chooser.answers.push_back(path);
    presenter.answers.push_back(maNo);
    HandOver(*warnLog, {"[0003]行:三"});
    save();
    EXPECT_EQ(TempDir::Read(path), Cp932File("[0001]行:一\n[0002]行:二\n"));  // answered No

    HandOver(*warnLog, {});
    chooser.answers.push_back(path);
    save();
    EXPECT_EQ(TempDir::Read(path), "");

    const std::string unwritable = files.Path("missing/log.txt");
    chooser.answers.push_back(unwritable);
    save();
    EXPECT_EQ(presenter.shown.back(), "error: 警告ログファイル[" + unwritable +
                                          "]の保存に失敗しました。(フォルダがありません)");
}

class ShellTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        shellopen::SetShellOpener([this](const std::string& target) {
            opened.push_back(target);
            return answer;
        });
    }
    void TearDown() override {
        shellopen::SetShellOpener(nullptr);
        AppTest::TearDown();
    }
    std::vector<std::string> opened;
    int answer = shellopen::kOpened;
};

TEST_F(ShellTest, HelpOpensTheFileBesideTheProgramOrSaysItFailed) {
    const std::string help = shellopen::ExecutableDirectory() + "/qrlx.chm";
    answer = shellopen::kFileNotFound;
    form->HelpMenuClick();
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0], "error: ヘルプファイル[" + help + "]のオープンに失敗しました。");
    answer = shellopen::kOpened;
    form->HelpMenuClick();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], help);
    // A desktop's opener may end at once, before its viewer shows: a second click starts
    // none.
    form->HelpMenuClick();
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(form->statusBar()->currentMessage().toStdString(), "ヘルプは既に開いています。");
    form->MorvaneMenuClick();
    form->SupportPageMenuClick();
    EXPECT_EQ(opened[2], about::kHomePage);
    EXPECT_EQ(opened[3], about::kSupportPage);
    EXPECT_EQ(presenter.shown.size(), 1u);  // the web items report nothing
}

// The desktop's opener is a script on PATH that knows no program for anything: it says so
// as xdg-open does itself (3) or through the desktop's opener (4).
TEST_F(AppTest, AWebPageThatNoProgramCanOpenIsSaidInTheStatusStripWithoutWaiting) {
    std::filesystem::create_directories(files.Path("bin"));
    for (const char* status : {"3", "4"}) {
        form->statusBar()->clearMessage();
        const std::string opener =
            files.Write("bin/xdg-open", std::string("#!/bin/sh\nsleep 0.3\nexit ") + status + "\n");
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        const std::string path = ::getenv("PATH");
        ::setenv("PATH", (files.Path("bin") + ":" + path).c_str(), 1);
        form->SupportPageMenuClick();
        ::setenv("PATH", path.c_str(), 1);
        EXPECT_TRUE(shellopen::StillOpening(about::kSupportPage));  // the window did not wait
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return form->statusBar()->currentMessage() ==
                       QString(about::kSupportPage) + " を開くプログラムがありません。";
            },
            10000))
            << status << ": " << form->statusBar()->currentMessage().toStdString();
        EXPECT_FALSE(shellopen::StillOpening(about::kSupportPage));
    }
    EXPECT_TRUE(presenter.shown.empty());
}

TEST(HelpFileTest, BesideTheProgramFirstThenWhereAnInstallationKeepsIt) {
    TempDir prefix;
    std::filesystem::create_directories(prefix.Path("bin"));
    std::filesystem::create_directories(prefix.Path("share/qrlx"));
    const std::string bin = prefix.Path("bin");
    EXPECT_EQ(TMainForm::HelpFilePath(bin), bin + "/qrlx.chm");  // neither: named in the error
    // Where the documentation goes counts for nothing: minimal systems drop it.
    prefix.Write("share/doc/qrlx/qrlx.chm", "chm");
    EXPECT_EQ(TMainForm::HelpFilePath(bin), bin + "/qrlx.chm");
    const std::string installed = prefix.Write("share/qrlx/qrlx.chm", "chm");
    EXPECT_EQ(TMainForm::HelpFilePath(bin), installed);
    const std::string beside = prefix.Write("bin/qrlx.chm", "chm");
    EXPECT_EQ(TMainForm::HelpFilePath(bin), beside);
}

// The test program ran PrepareDesktop: the desktop knows the windows as the menu entry's.
TEST(ProgramIconTest, TheDesktopNameIsTheEntrysAndTheIconIsFoundUnderThePrefix) {
    EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "qrlx");
    TempDir prefix;
    std::filesystem::create_directories(prefix.Path("bin"));
    std::filesystem::create_directories(prefix.Path("share/icons/hicolor/48x48/apps"));
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(
        image.save(QString::fromStdString(prefix.Path("share/icons/hicolor/48x48/apps/qrlx.png"))));
    const QIcon icon = ProgramIcon(prefix.Path("bin"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(48, 48).isNull());
}

TEST_F(ShellTest, InformationWindowOpensItsAddressesAndClosesOnEscape) {
    TVersionForm version(form.get());
    EXPECT_EQ(version.windowTitle().toStdString(), "バージョン情報");
    EXPECT_TRUE(version.OKButton->isDefault());
    QTest::mouseClick(version.URLLabel, Qt::LeftButton);
    QTest::mouseClick(version.Label11, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], version.URLLabel->text().toStdString());
    EXPECT_EQ(opened[1], version.Label11->text().toStdString());
    version.show();
    QTest::keyClick(&version, Qt::Key_Escape);
    EXPECT_TRUE(version.isHidden());
    // The title asks for the Mincho font by its name and gets the installed Mincho.
    EXPECT_EQ(QFontInfo(version.Label3->font()).family().toStdString(), "IPAMincho");
}

TEST(TitleFormTest, TimelineRunsOnceAndShowsEveryLabel) {
    TTitleForm title;
    EXPECT_TRUE(title.Timer.isActive());
    EXPECT_TRUE(title.ShortNameLabel->isHidden());
    title.TimerTimer();
    EXPECT_FALSE(title.Timer.isActive());
    EXPECT_FALSE(title.TitleLabel1->isHidden());
    EXPECT_FALSE(title.ShortNameLabel->isHidden());
    EXPECT_FALSE(title.tqMarkImage->isHidden());
    EXPECT_EQ(title.TitleLabel1->font().pointSize(), 45);
    title.TitleLabel1->hide();
    title.TimerTimer();  // later ticks do nothing
    EXPECT_TRUE(title.TitleLabel1->isHidden());
}

// The help viewer breaks Japanese text only where the page's lines end (and at spaces):
// every line of text must fit the viewer's opening width of 600 pixels.
TEST(HelpPagesTest, EveryLineOfTextFitsTheViewersOpeningWidth) {
    constexpr int kColumns = 72;  // a full-width character takes two
    const QRegularExpression tag(QStringLiteral("<[^>]*>|&[a-z]+;"));
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QRLX_HELP_SOURCES)) {
        if (entry.path().extension() != ".html") {
            continue;
        }
        ++pages;
        QFile page(QString::fromStdString(entry.path().string()));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        int number = 0;
        for (const QByteArray& raw : page.readAll().split('\n')) {
            ++number;
            if (raw.startsWith("<head>")) {
                continue;
            }
            const QString text = QString::fromUtf8(raw).remove(tag);
            int columns = 0;
            for (const QChar c : text) {
                columns += c.unicode() >= 0x1100 ? 2 : 1;
            }
            EXPECT_LE(columns, kColumns)
                << entry.path().filename() << ":" << number << " " << text.toStdString();
        }
    }
    EXPECT_EQ(pages, 4);
}

}  // namespace
