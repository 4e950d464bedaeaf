// qrlx-screenshot OUTPUT_PNG MAP_CSV INSTRUCTION_CSV: runs the real main window offscreen
// through a map load, an instruction load and a search, choosing the given files in its
// dialogs, and saves a picture of the window. Used to keep the README's picture current.
#include <QApplication>
#include <QPixmap>

#include <cstdio>
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
                std::string& path) override {
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: qrlx-screenshot OUTPUT_PNG MAP_CSV INSTRUCTION_CSV\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    PrepareDesktop();
    ListChooser chooser({argv[2], argv[3]});
    SetFileChooser(&chooser);
    TMainForm mainForm;
    TWarnLogForm warnLogForm(&mainForm);
    mainForm.WarnLogForm = &warnLogForm;
    mainForm.show();
    mainForm.MapFileReadMenuClick();
    mainForm.ReadRefDirFileMenuClick();
    mainForm.SearchBtnClick();
    warnLogForm.hide();
    QApplication::processEvents();
    if (!mainForm.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
