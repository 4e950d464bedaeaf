#include "app/filedialog.h"

#include <QFile>
#include <QFileDialog>

#include "platform/qt/desktop.h"

namespace {

class DesktopChooser final : public FileChooser {
public:
    bool Choose(QWidget* owner, bool save, const QString& filter, const QString& defaultSuffix,
                const std::string& start, std::string& path) override {
        QFileDialog dialog(DialogOwner(owner), QString(), QFile::decodeName(start.c_str()), filter);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(defaultSuffix);
        // The windows ask their own overwrite question.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (ExecOwnedDialog(dialog, owner) != QDialog::Accepted ||
            dialog.selectedFiles().isEmpty()) {
            return false;
        }
        path = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
        return true;
    }
};

DesktopChooser gDesktopChooser;
FileChooser* gChooser = &gDesktopChooser;

}  // namespace

void SetFileChooser(FileChooser* chooser) { gChooser = chooser ? chooser : &gDesktopChooser; }

bool FileDialog::Execute(QWidget* owner) {
    const std::string start = FileName.empty() ? InitialDir : FileName;
    std::string chosen;
    if (!gChooser->Choose(owner, mSave, Filter, DefaultExt, start, chosen)) {
        return false;
    }
    FileName = chosen;
    return true;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
