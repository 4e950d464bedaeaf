// The main window with many results: generates a square grid road network and searches
// between nodes a few blocks apart (routes of about REACH nodes, about REACH / 5 grid rows
// each), then loads both files and searches through the window as a user would, offscreen.
// Reports the longest time the window's event loop went without a turn in each command
// (the result grid's fill is part of the search's), the rows shown, peak memory of the
// whole process (the generating runs in a child process) before and after the save of the
// results, a map load over the results, how long Escape takes to stop a map load at
// moments through it, and how long the window takes to close.
// Usage: window_bench [SIDE [SEARCHES [REACH]]], or window_bench --files MAP DRF for files
// of one's own.
#include <QApplication>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "app/filedialog.h"
#include "app/mainfrm.h"
#include "data/messagebox.h"
#include "platform/codepage.h"

namespace {

std::string NodeName(int x, int y) { return "N" + std::to_string(x) + "_" + std::to_string(y); }

void Generate(int side, int searches, int reach, const std::string& mapPath,
              const std::string& drfPath) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> length(1, 1000);
    std::ofstream map(mapPath, std::ios::binary);
    map << codepage::Utf8ToCp932("M_始点ノード名,M_終点ノード名,M_ノード間距離\r\n");
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (x + 1 < side) {
                map << NodeName(x, y) << "," << NodeName(x + 1, y) << "," << length(random)
                    << "\r\n"
                    << NodeName(x + 1, y) << "," << NodeName(x, y) << "," << length(random)
                    << "\r\n";
            }
            if (y + 1 < side) {
                map << NodeName(x, y) << "," << NodeName(x, y + 1) << "," << length(random)
                    << "\r\n"
                    << NodeName(x, y + 1) << "," << NodeName(x, y) << "," << length(random)
                    << "\r\n";
            }
        }
    }
    std::ofstream drf(drfPath, std::ios::binary);
    drf << codepage::Utf8ToCp932("D_検索名称,D_始点ノード名,D_終点ノード名\r\n");
    std::uniform_int_distribution<int> coordinate(0, side - 1);
    std::uniform_int_distribution<int> step(0, reach - 1);
    for (int i = 0; i < searches; ++i) {
        const int x = coordinate(random);
        const int y = coordinate(random);
        const int toX = std::clamp(x + step(random) + 1, 0, side - 1);
        const int toY = std::clamp(y + step(random), 0, side - 1);
        drf << "S" << i << "," << NodeName(x, y) << "," << NodeName(toX == x ? x - 1 : toX, toY)
            << "\r\n";
    }
}

// Answers every file dialog with the next path and every question with Yes.
class Answers final : public FileChooser, public MessagePresenter {
public:
    bool Choose(QWidget*, bool, const QString&, const QString&, const std::string&,
                std::string& path, int&) override {
        path = next;
        return true;
    }
    MessageAnswer Present(MessageOwner, MessageKind kind, const std::string&,
                          const std::string& text) override {
        if (kind == mkError) {
            std::fprintf(stderr, "error: %s\n", text.c_str());
        }
        return maYes;
    }
    std::string next;
};

double PeakMegabytes() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Runs `command` on the window and lets events run until its work has ended; prints the
// time it took and the longest gap between two turns of the event loop.
void Run(TMainForm& form, const char* what, void (TMainForm::*command)()) {
    QElapsedTimer total;
    QElapsedTimer sinceTurn;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longest = std::max(longest, sinceTurn.restart()); });
    total.start();
    sinceTurn.start();
    ticker.start();
    (form.*command)();
    longest = std::max(longest, sinceTurn.restart());  // the command's own start
    while (form.IsBusy()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    QApplication::processEvents();
    longest = std::max(longest, sinceTurn.elapsed());
    std::printf("%-13s %7.2f s, longest wait for the window %5lld ms, peak %6.0f MB\n", what,
                total.elapsed() / 1000.0, static_cast<long long>(longest), PeakMegabytes());
}

// Starts map loads and presses Escape `delay` ms into each, for delays 20 ms apart until a
// load ends before its Escape; prints how long each stop took and the note shown at Escape.
void StopLoads(TMainForm& form) {
    for (int delay = 20;; delay += 20) {
        QElapsedTimer timer;
        timer.start();
        form.MapFileReadMenuClick();
        while (form.IsBusy() && timer.elapsed() < delay) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        if (!form.IsBusy()) {
            std::printf("load ended after %lld ms, before the stop\n",
                        static_cast<long long>(timer.elapsed()));
            return;
        }
        const QString note = form.statusBar()->currentMessage().left(6);
        QElapsedTimer stopping;
        stopping.start();
        QTest::keyClick(&form, Qt::Key_Escape);
        while (form.IsBusy()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        std::printf("stop at %5d ms (%s): %4lld ms\n", delay, note.toUtf8().constData(),
                    static_cast<long long>(stopping.elapsed()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool ownFiles = argc > 3 && std::string(argv[1]) == "--files";
    const int side = argc > 1 && !ownFiles ? std::atoi(argv[1]) : 1000;
    const int searches = argc > 2 && !ownFiles ? std::atoi(argv[2]) : 500000;
    const int reach = argc > 3 && !ownFiles ? std::max(2, std::atoi(argv[3])) : 36;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    auto dir = std::filesystem::temp_directory_path() /
               ("qrlx-window-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    const std::string mapPath = ownFiles ? argv[2] : (dir / "map.csv").string();
    const std::string drfPath = ownFiles ? argv[3] : (dir / "drf.csv").string();
    if (ownFiles) {
        std::printf("window: %s, %s\n", mapPath.c_str(), drfPath.c_str());
    } else {
        std::fflush(stdout);
        const pid_t child = ::fork();
        if (child == 0) {
            Generate(side, searches, reach, mapPath, drfPath);
            std::_Exit(0);
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || status != 0) {
            std::fprintf(stderr, "generating the network failed\n");
            return 1;
        }
        std::printf("window: grid %d x %d, %d searches of about %d nodes\n", side, side, searches,
                    reach);
    }

    QApplication application(argc, argv);
    Answers answers;
    SetFileChooser(&answers);
    SetMessagePresenter(&answers);
    {
        auto form = std::make_unique<TMainForm>();
        form->show();
        answers.next = mapPath;
        Run(*form, "map load", &TMainForm::MapFileReadMenuClick);
        answers.next = drfPath;
        Run(*form, "instructions", &TMainForm::ReadRefDirFileMenuClick);
        Run(*form, "search", &TMainForm::SearchBtnClick);
        std::printf("result grid: %d rows\n", form->ResultGrid->RowCount());
        answers.next = (dir / "result.csv").string();
        Run(*form, "save", &TMainForm::ResultPreservBtnClick);
        answers.next = mapPath;
        Run(*form, "map reload", &TMainForm::MapFileReadMenuClick);
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
        StopLoads(*form);
        QElapsedTimer closing;
        closing.start();
        form->close();
        form.reset();
        std::printf("%-13s %7.2f s\n", "close", closing.elapsed() / 1000.0);
    }
    SetFileChooser(nullptr);
    SetMessagePresenter(nullptr);
    std::filesystem::remove_all(dir);
    return 0;
}
