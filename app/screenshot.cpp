// qrlx-screenshot OUTPUT_PNG MAP_CSV INSTRUCTION_CSV [WIDTHxHEIGHT]: runs the real main
// window offscreen (at the given size) through a map load, an instruction load and a search,
// choosing the given files in its dialogs, and saves a picture of the window.
// qrlx-screenshot --during-load OUTPUT_PNG MAP_CSV: the same window in the middle of loading
// a (large) map, its bar a third of the way or more.
// qrlx-screenshot --window X_WINDOW_ID OUTPUT_PNG: saves a picture of a window of the X
// display (the help viewer). Used to keep the README's pictures current.
#include <QApplication>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/mainfrm.h"
#include "app/warnlogfrm.h"
#include "data/messagebox.h"
#include "platform/qt/desktop.h"

namespace {

// Answers the dialogs with the next file of a fixed list.
class ListChooser final : public FileChooser {
public:
    explicit ListChooser(std::vector<std::string> files) : mFiles(std::move(files)) {}
    bool Choose(QWidget*, bool, const QString&, const QString&, const std::string&,
                std::string& path, int&) override {
        if (mNext >= mFiles.size()) {
            return false;
        }
        path = mFiles[mNext++];
        return true;
    }

private:
    std::vector<std::string> mFiles;
    size_t mNext = 0;
};

bool Save(const QPixmap& picture, const char* path) {
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(path))) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QSize size;
    if (argc == 5 && std::sscanf(argv[4], "%dx%d", &size.rwidth(), &size.rheight()) != 2) {
        argc = 0;
    }
    const bool window = argc == 4 && std::string(argv[1]) == "--window";
    const bool duringLoad = argc == 4 && std::string(argv[1]) == "--during-load";
    if (argc != 4 && argc != 5) {
        std::fputs(
            "usage: qrlx-screenshot OUTPUT_PNG MAP_CSV INSTRUCTION_CSV [WIDTHxHEIGHT]\n"
            "       qrlx-screenshot --during-load OUTPUT_PNG MAP_CSV\n"
            "       qrlx-screenshot --window X_WINDOW_ID OUTPUT_PNG\n",
            stderr);
        return 2;
    }
    QApplication application(argc, argv);
    if (window) {
        const WId id = std::strtoul(argv[2], nullptr, 0);
        return Save(QApplication::primaryScreen()->grabWindow(id), argv[3]) ? 0 : 1;
    }
    PrepareDesktop();
    if (duringLoad) {
        ListChooser chooser({argv[3]});
        SetFileChooser(&chooser);
        TMainForm mainForm;
        mainForm.show();
        bool saved = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!saved && mainForm.IsBusy() && mainForm.ProgressBar->value() >= 33) {
                saved = Save(mainForm.grab(), argv[2]);
                watch.stop();
            }
        });
        watch.start(20);
        mainForm.MapFileReadMenuClick();
        if (!saved) {
            std::fprintf(stderr, "the load of %s ended before a third of it was shown\n", argv[3]);
        }
        return saved ? 0 : 1;
    }
    ListChooser chooser({argv[2], argv[3]});
    SetFileChooser(&chooser);
    TMainForm mainForm;
    TWarnLogForm warnLogForm(&mainForm);
    mainForm.WarnLogForm = &warnLogForm;
    if (size.isValid()) {
        mainForm.resize(size);
    }
    mainForm.show();
    // Loads and searches run beside the window: each step is let end before the next.
    auto settle = [&mainForm] {
        while (mainForm.IsBusy()) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    };
    mainForm.MapFileReadMenuClick();
    settle();
    mainForm.ReadRefDirFileMenuClick();
    settle();
    mainForm.SearchBtnClick();
    settle();
    warnLogForm.hide();
    QApplication::processEvents();
    return Save(mainForm.grab(), argv[1]) ? 0 : 1;
}
