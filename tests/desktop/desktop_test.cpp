// The windows as a person meets them: real message boxes and file dialogs, stacked and
// focused by a real window manager, real font metrics and window sizes.
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/messagepresenter.h"
#include "app/versionfrm.h"
#include "grid/xtqgrid.h"
#include "platform/shellopen.h"
#include "tests/app/app_fixture.h"
#include "xsession.h"

namespace {

// Lets events run until `condition` holds or `ms` pass; gives whether it held.
bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    return true;
}

bool IsTop(const QWidget* window) {
    const std::vector<unsigned long> stack = XSession::Stacking();
    return !stack.empty() && stack.back() == window->winId();
}

// What the X server said about a modal window while it was open.
struct Seen {
    bool onTop = false;
    bool focused = false;
    std::string caption;
};

class DesktopTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        SetMessagePresenter(&boxes);
        version = std::make_unique<TVersionForm>(form.get());
        form->VersionForm = version.get();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override {
        form->VersionForm = nullptr;
        version.reset();
        AppTest::TearDown();
    }

    // Runs `open`, which opens a modal window; once the window manager shows it on top with
    // the focus (or after 5 s), records what the X server says, lets `inspect` look at it
    // and presses `key` through the X server, which must close it.
    Seen WhileModal(const std::function<void()>& open, const char* key,
                    const std::function<void(QWidget*)>& inspect = {}) {
        Seen seen;
        QTimer::singleShot(0, form.get(), [&] {
            QWidget* modal = nullptr;
            WaitFor([&] {
                modal = QApplication::activeModalWidget();
                return modal && IsTop(modal) && XSession::ActiveWindow() == modal->winId();
            });
            if (!modal) {
                ADD_FAILURE() << "no modal window opened";
                return;
            }
            seen.onTop = IsTop(modal);
            seen.focused = XSession::ActiveWindow() == modal->winId();
            seen.caption = XSession::Caption(modal->winId());
            if (inspect) {
                inspect(modal);
            }
            XSession::XDoTool(std::string("key ") + key);
            if (!WaitFor([&] { return QApplication::activeModalWidget() != modal; })) {
                ADD_FAILURE() << "the key did not reach the modal window";
                modal->close();
            }
        });
        open();
        return seen;
    }

    int WarnLogLineCount() const { return warnLog->WarnLogListBox->model()->rowCount(); }

    // Whether the main window has the focus again, as the window manager sees it.
    bool MainWindowActive() {
        return WaitFor([&] { return XSession::ActiveWindow() == form->winId(); });
    }

    // Loads the sample map, whose rejected rows open the warning log.
    void ShowWarningLog() {
        LoadMap(QRLX_EXAMPLES "/map.csv");
        ASSERT_TRUE(warnLog->isVisible());
        ASSERT_TRUE(WaitFor([&] { return IsTop(warnLog.get()); }));
    }

    QtMessagePresenter boxes;
    std::unique_ptr<TVersionForm> version;
};

TEST_F(DesktopTest, BoxesAndDialogsOpenAboveTheWarningLogWithTheFocus) {
    ShowWarningLog();
    EXPECT_EQ(XSession::Caption(form->winId()), "ロトミナ");
    EXPECT_EQ(XSession::Caption(warnLog->winId()), "ロトミナ(QRLX)");

    // The map question over loaded data; Escape answers No, so no dialog follows.
    const size_t dialogs = chooser.starts.size();
    std::string buttons;
    Seen question = WhileModal([&] { form->MapFileReadMenuClick(); }, "Escape",
                               [&](QWidget* box) {
                                   for (auto* button : box->findChildren<QPushButton*>()) {
                                       buttons += button->text().toStdString() + " ";
                                   }
                               });
    EXPECT_TRUE(question.onTop);
    EXPECT_TRUE(question.focused);
    EXPECT_EQ(question.caption, "ロトミナ");
    EXPECT_NE(buttons.find("はい"), std::string::npos) << buttons;
    EXPECT_NE(buttons.find("いいえ"), std::string::npos) << buttons;
    EXPECT_EQ(chooser.starts.size(), dialogs);
    // The focus goes back to the window whose command asked, not to the log under the box.
    EXPECT_TRUE(MainWindowActive());

    // Centred on the main window, not on the log it stands above.
    warnLog->move(form->frameGeometry().topLeft());
    ASSERT_TRUE(WaitFor([&] { return warnLog->pos() == form->frameGeometry().topLeft(); }));
    QPoint offCentre;
    Seen about = WhileModal([&] { form->VersionInfMenuClick(); }, "Escape",
                            [&](QWidget* box) {
                                offCentre =
                                    box->frameGeometry().center() - form->frameGeometry().center();
                            });
    EXPECT_LE(offCentre.manhattanLength(), 40) << offCentre.x() << "," << offCentre.y();
    EXPECT_TRUE(about.onTop);
    EXPECT_TRUE(about.focused);
    EXPECT_EQ(about.caption, "バージョン情報");
    EXPECT_TRUE(MainWindowActive());

    // The desktop's own file dialog, in Japanese and without a suffix in its caption.
    SetFileChooser(nullptr);
    std::string texts;
    std::string listed;  // the size, type and date of a folder and a file in the list
    std::string cut;     // the columns narrower than their texts
    std::filesystem::create_directories(files.Path("folder"));
    File("map.csv", "M_始点ノード名,M_終点ノード名,M_ノード間距離\n");
    form->OpenDialog.FileName = files.Path("map.csv");
    Seen open = WhileModal(
        [&] { form->ReadRefDirFileMenuClick(); }, "Escape",
        [&](QWidget* dialog) {
            for (auto* button : dialog->findChildren<QPushButton*>()) {
                texts += button->text().toStdString() + " ";
            }
            auto* list = dialog->findChild<QTreeView*>();
            ASSERT_NE(list, nullptr);
            WaitFor([&] { return list->model()->rowCount(list->rootIndex()) > 0; });
            QTest::qWait(200);  // the widths follow the texts once the folder is read
            int widest[4] = {};
            for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
                for (int col = 1; col <= 3; ++col) {
                    const QString text =
                        list->model()->index(row, col, list->rootIndex()).data().toString();
                    listed += text.toStdString() + "|";
                    widest[col] =
                        std::max(widest[col], list->fontMetrics().horizontalAdvance(text));
                }
            }
            for (int col = 1; col <= 3; ++col) {
                if (list->columnWidth(col) < widest[col]) {
                    cut += std::to_string(col) + " ";
                }
            }
        });
    EXPECT_TRUE(open.onTop);
    EXPECT_TRUE(open.focused);
    EXPECT_EQ(open.caption.find("ロトミナ"), std::string::npos) << open.caption;
    EXPECT_NE(texts.find("キャンセル"), std::string::npos) << texts;
    // Japanese whatever the system's locale: no "bytes", "CSV document" or "7 Dec".
    EXPECT_NE(listed.find("バイト"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("document"), std::string::npos) << listed;
    EXPECT_NE(listed.find("フォルダー"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("Folder"), std::string::npos) << listed;
    EXPECT_EQ(cut, "");
    EXPECT_NE(listed.find(QDate::currentDate().toString("yyyy/").toStdString()), std::string::npos)
        << listed;
    EXPECT_TRUE(MainWindowActive());

    // The log's own save dialog shows its pattern list once; another file type keeps the
    // suffix typed, in the case typed.
    QString filter;
    QString named;
    WhileModal([&] { warnLog->LogSaveBtnClick(); }, "Escape",
               [&](QWidget* dialog) {
                   auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                   auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                   if (types && name) {
                       filter = types->itemText(0);
                       name->clear();
                       QTest::keyClicks(name, QStringLiteral("res.txt"));
                       types->setCurrentIndex(1);
                       emit types->activated(1);
                       named = name->text();
                   }
               });
    EXPECT_EQ(filter.count(QLatin1Char('(')), 1) << filter.toStdString();
    EXPECT_EQ(named.toStdString(), "res.txt");

    // Qt's file dialog left no settings file of its own beside the program's.
    EXPECT_EQ(config.Listing(), "QRLX.INI");
}

TEST_F(DesktopTest, ALoadThatShowsTheLogLeavesTheKeyboardWithTheMainWindow) {
    form->activateWindow();
    ASSERT_TRUE(MainWindowActive());
    ShowWarningLog();
    EXPECT_TRUE(MainWindowActive());
    EXPECT_NE(XSession::ActiveWindow(), warnLog->winId());
    // Enter goes to the main window: the log's save dialog does not open.
    const size_t dialogs = chooser.starts.size();
    XSession::XDoTool("key Return");
    QTest::qWait(300);
    EXPECT_EQ(chooser.starts.size(), dialogs);
}

TEST_F(DesktopTest, TheWarningLogOpensAgainWhereItWas) {
    ShowWarningLog();
    // Where the window manager put the window's inside, once it has settled.
    auto placed = [&] {
        std::string last;
        for (int settled = 0; settled < 3;) {
            QApplication::processEvents();
            QThread::msleep(100);
            const std::string now =
                XSession::XDoTool("getwindowgeometry " + std::to_string(warnLog->winId()));
            settled = now == last ? settled + 1 : 0;
            last = now;
        }
        return last;
    };
    const std::string first = placed();
    warnLog->CancelBtnClick();
    ASSERT_TRUE(WaitFor([&] { return !warnLog->isVisible(); }));
    // Yes to the question over loaded data; the map's rejected rows show the log again.
    WhileModal([&] { LoadMap(QRLX_EXAMPLES "/map.csv"); }, "Return");
    ASSERT_TRUE(WaitFor([&] { return IsTop(warnLog.get()); }));
    EXPECT_EQ(placed(), first);
}

TEST_F(DesktopTest, ALargeLoadKeepsTheWindowAnsweringAndRefusesClicks) {
    // 1,400,000 links and 200,000 rejected rows (a node joined to itself): long enough to
    // load that a timer ticks many times on the way.
    std::string map = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
    for (int i = 0; i < 1600000; ++i) {
        map += "N" + std::to_string(i) + "," +
               (i % 8 == 7 ? "N" + std::to_string(i) : "M" + std::to_string(i)) + ",1\n";
    }
    const std::string big = File("big.csv", map);
    form->activateWindow();
    ASSERT_TRUE(MainWindowActive());

    // What a timer of this process sees while the load runs: it only ticks while the
    // window's thread lets events run.
    int ticks = 0;
    std::vector<std::string> notes;  // each new status text, with whether the bar had moved
    int bareTicks = 0;               // the strip empty while the work runs
    int ticksSinceClick = 0;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        ++ticks;
        const std::string note = form->statusBar()->currentMessage().toStdString();
        const std::string seen = note + (form->ProgressBar->value() > 0 ? " (moving)" : "");
        if (notes.empty() || notes.back() != seen) {
            notes.push_back(seen);
        }
        // The click and the keys go in once the network is being built, the longest part.
        if (ticksSinceClick > 0 || note.starts_with("道路網を作成しています")) {
            ++ticksSinceClick;
        }
        if (ticksSinceClick == 1) {  // a click on the map button during the load
            const QPoint at = form->MAPFileReadBtn->mapTo(form.get(), QPoint(20, 10));
            XSession::XDoTool("mousemove --window " + std::to_string(form->winId()) + " " +
                              std::to_string(at.x()) + " " + std::to_string(at.y()) + " click 1");
        }
        if (ticksSinceClick == 3) {
            XSession::XDoTool("key alt+f");  // the file menu, over the strip
        }
        if (ticksSinceClick == 5) {
            XSession::XDoTool("key Escape");
        }
        bareTicks += form->IsBusy() && note.empty() ? 1 : 0;
    });
    watch.start();
    LoadMap(big);
    watch.stop();

    EXPECT_EQ(form->NodeNumSText->text().toStdString(), "2800000");
    EXPECT_EQ(chooser.answers.size(), 0u);
    EXPECT_EQ(chooser.starts.size(), 1u) << "the click opened a dialog afterwards";
    EXPECT_GT(ticks, 8);
    std::string all;
    for (const std::string& note : notes) {
        all += note + "\n";
    }
    // The bar moves through the rows as the network is built.
    EXPECT_NE(all.find("道路網を作成しています。作成が終わるまで他の操作はできません。 (moving)"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("処理中のため"), std::string::npos) << all;
    EXPECT_EQ(bareTicks, 0) << all;  // not after the click, nor after the menu
    EXPECT_EQ(WarnLogLineCount(), 200000);
}

// The longest time the window's thread left a 10 ms timer waiting while `work` ran: how long
// the window went without painting or answering.
int LongestPauseMs(const std::function<void()>& work) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start();
    work();
    longest = std::max(longest, clock.elapsed() - last);
    return static_cast<int>(longest);
}

TEST_F(DesktopTest, TheWindowAnswersWhileALargeMapLoadsASearchStartsAndResultsAreSaved) {
    // 2,400,000 links in a ladder of 600,000 rungs, and 100 searches from different starts,
    // which prepare landmarks first: each step takes a few tenths of a second.
    std::string map = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
    for (int i = 0; i < 600000; ++i) {
        const std::string a = "A" + std::to_string(i);
        const std::string b = "B" + std::to_string(i);
        map += a + ",A" + std::to_string(i + 1) + ",3\n" + a + "," + b + ",1\n";
        map += b + ",B" + std::to_string(i + 1) + ",2\n" + b + "," + a + ",1\n";
    }
    std::string drf = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    for (int i = 0; i < 100; ++i) {
        drf += "s" + std::to_string(i) + ",A" + std::to_string(i * 4000) + ",B" +
               std::to_string(i * 4000 + 600) + "\n";
    }
    const std::string big = File("big.csv", map);
    const std::string instructions = File("drf.csv", drf);
    // The control: the same timer with the window idle.
    const int idle = LongestPauseMs([] { QTest::qWait(500); });
    const int limit = 100 + 2 * idle;

    EXPECT_LT(LongestPauseMs([&] { LoadMap(big); }), limit);
    ASSERT_EQ(form->NodeNumSText->text().toStdString(), "1200002");
    LoadInstructions(instructions);
    EXPECT_LT(LongestPauseMs([&] {
                  form->SearchBtnClick();
                  Finish();
              }),
              limit);
    ASSERT_EQ(form->SuccessNumSText->text().toStdString(), "100");
    SetMessagePresenter(&presenter);  // the box that says the save is done answers at once
    const std::string saved = files.Path("result.csv");
    chooser.answers.push_back(saved);
    EXPECT_LT(LongestPauseMs([&] {
                  form->ResultPreservBtnClick();
                  Finish();
              }),
              limit);
    EXPECT_EQ(presenter.shown.back(),
              "info: 検索結果ファイル[" + saved + "]の保存が完了しました。");
    EXPECT_GT(TempDir::Read(saved).size(), 100000u);
}

TEST_F(DesktopTest, ASevenDigitNodeCountIsDrawnWhole) {
    std::string map = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
    constexpr int kNodes = 1000000;
    for (int i = 1; i < kNodes; ++i) {
        map += std::to_string(i) + "," + std::to_string(i + 1) + ",1\n";
    }
    LoadMap(File("big.csv", map));
    QLabel* counter = form->NodeNumSText;
    ASSERT_EQ(counter->text().toStdString(), "1000000");
    QApplication::processEvents();
    QThread::msleep(200);
    QApplication::processEvents();

    // The counter as the X server shows it: dark digit pixels, none at its inner edges.
    const QPoint at = counter->mapTo(form.get(), QPoint(0, 0));
    const QImage shot =
        form->screen()
            ->grabWindow(form->winId(), at.x(), at.y(), counter->width(), counter->height())
            .toImage();
    ASSERT_EQ(shot.width(), counter->width());
    const int frame = counter->frameWidth();
    auto darkInColumn = [&](int x) {
        for (int y = frame; y < shot.height() - frame; ++y) {
            if (qGray(shot.pixel(x, y)) < 128) {
                return true;
            }
        }
        return false;
    };
    int darkColumns = 0;
    for (int x = frame; x < shot.width() - frame; ++x) {
        darkColumns += darkInColumn(x) ? 1 : 0;
    }
    EXPECT_GT(darkColumns, 20);
    EXPECT_FALSE(darkInColumn(frame));  // the leading digit is not cut
    EXPECT_FALSE(darkInColumn(frame + 1));
    EXPECT_LT(at.x() + counter->width(), form->MAPCheckBox->mapTo(form.get(), QPoint(0, 0)).x());
}

TEST_F(DesktopTest, TheGridFollowsTheWindowsSizeDownToAMinimum) {
    LoadMap(QRLX_EXAMPLES "/map.csv");
    LoadInstructions(QRLX_EXAMPLES "/instructions.csv");
    form->SearchBtnClick();
    Finish();
    const std::string id = std::to_string(form->winId());
    // The grid's bottom right corner in the window.
    auto gridCorner = [&] {
        return form->ResultGrid->mapTo(
            form.get(), QPoint(form->ResultGrid->width(), form->ResultGrid->height()));
    };

    XSession::XDoTool("windowsize " + id + " 1100 760");
    ASSERT_TRUE(WaitFor([&] { return form->width() == 1100 && form->height() == 760; }));
    QApplication::processEvents();
    EXPECT_GE(gridCorner().x(), 1100 - 12);
    EXPECT_GE(gridCorner().y(), form->statusBar()->y() - 12);
    EXPECT_EQ(form->ResultGrid->geometry(), form->ResultGrid->parentWidget()->rect());

    XSession::XDoTool("windowsize " + id + " 300 200");
    ASSERT_TRUE(WaitFor([&] { return form->width() < 1100; }));
    QApplication::processEvents();
    const QPoint save = form->ResultPreservBtn->mapTo(
        form.get(), QPoint(form->ResultPreservBtn->width(), form->ResultPreservBtn->height()));
    EXPECT_LE(save.x(), form->width());  // every command stays in the window
    EXPECT_GE(form->ResultGrid->height(), 100);
    EXPECT_EQ(form->ResultGrid->geometry(), form->ResultGrid->parentWidget()->rect());
    EXPECT_GE(gridCorner().x(), form->width() - 12);
}

TEST_F(DesktopTest, TheHelpItemOpensTheHelpFileInTheViewerAboveTheLog) {
    ShowWarningLog();
    SetMessagePresenter(&presenter);  // a failure is recorded, not shown
    form->HelpMenuClick();
    EXPECT_TRUE(presenter.shown.empty()) << presenter.shown.front();
    const std::string help = TMainForm::HelpFilePath(shellopen::ExecutableDirectory());
    EXPECT_TRUE(shellopen::StillOpening(help));  // the window went on while it starts
    std::string viewer;
    EXPECT_TRUE(WaitFor(
        [&] {
            viewer = XSession::XDoTool("search --onlyvisible --class xchm");
            return !viewer.empty();
        },
        10000));
    // The viewer's window stands above the log, which stays above the main window only.
    auto stackedAt = [](unsigned long window) {
        const std::vector<unsigned long> stack = XSession::Stacking();
        return std::find(stack.begin(), stack.end(), window) - stack.begin();
    };
    EXPECT_TRUE(WaitFor([&] {
        for (size_t at = 0; at < viewer.size();) {
            const size_t end = viewer.find('\n', at);
            const unsigned long id = std::stoul(viewer.substr(at, end - at));
            if (stackedAt(id) < static_cast<long>(XSession::Stacking().size()) &&
                stackedAt(id) > stackedAt(warnLog->winId())) {
                return true;
            }
            at = end == std::string::npos ? viewer.size() : end + 1;
        }
        viewer = XSession::XDoTool("search --onlyvisible --class xchm");
        return false;
    }));
    EXPECT_GT(stackedAt(warnLog->winId()), stackedAt(form->winId()));
    // The open viewer is the help's: a second click starts no other.
    const std::string viewers = XSession::XDoTool("search --class xchm");
    form->HelpMenuClick();
    EXPECT_EQ(form->statusBar()->currentMessage().toStdString(), "ヘルプは既に開いています。");
    QTest::qWait(1500);
    EXPECT_EQ(XSession::XDoTool("search --class xchm"), viewers);
    if (!viewer.empty()) {
        XSession::XDoTool("search --class xchm windowkill");
    }
}

// As the window goes, the window system takes the focus from the editor, whose focus-out
// must not call into what is left of the grid.
TEST(XtqGridWindowTest, AGridWindowDeletedWhileItsEditorHasTheFocusGoesQuietly) {
    auto* window = new XtqGrid();  // a top-level window of its own
    window->SetColCount(3);
    window->SetRowCount(3);
    window->CanEdit = true;
    window->SetCurrentCell(1, 1);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return XSession::ActiveWindow() == window->winId(); }));
    window->setFocus();
    QTest::keyClick(window, Qt::Key_A);
    ASSERT_NE(window->InplaceEditor(), nullptr);
    window->InplaceEditor()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), window->InplaceEditor());
    delete window;
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

}  // namespace
