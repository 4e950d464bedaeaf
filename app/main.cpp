// qrlx: the desktop program. Creates the main window and its companion windows, then runs
// the event loop until the main window closes.
#include <QApplication>

#include <cstdio>
#include <exception>
#include <new>

#include "app/mainfrm.h"
#include "app/messagepresenter.h"
#include "app/titlefrm.h"
#include "app/versionfrm.h"
#include "app/warnlogfrm.h"
#include "data/messagebox.h"
#include "engine/readfailure.h"
#include "platform/qt/desktop.h"
#include "platform/standardstreams.h"

namespace {

// Shows an error that escaped a command in the standard error box and goes on.
class GuardedApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            ShowErrorMessage(activeWindow(), "%s", RSIF::OutOfMemoryMessage().c_str());
        } catch (const std::exception& error) {
            ShowErrorMessage(activeWindow(), "%s", error.what());
        } catch (...) {
            ShowErrorMessage(activeWindow(), "予期しないエラーが発生しました。");
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    standardstreams::OpenClosedOnDevNull();  // no file of ours may take a stream's number
    GuardedApplication application(argc, argv);
    QtMessagePresenter presenter;
    SetMessagePresenter(&presenter);
    try {
        PrepareDesktop();
        TMainForm mainForm;
        TWarnLogForm warnLogForm(
            &mainForm, [&mainForm](const std::string& path) { return mainForm.InputClash(path); });
        TTitleForm titleForm;
        TVersionForm versionForm(&mainForm);
        mainForm.WarnLogForm = &warnLogForm;
        mainForm.VersionForm = &versionForm;
        mainForm.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        ShowErrorMessage(nullptr, "%s", error.what());
        return 1;
    }
}
