#include "app/filedialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QLocale>
#include <QTreeView>

#include <algorithm>
#include <memory>

#include "platform/qt/desktop.h"

namespace {

constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

// The file list speaks Japanese whatever the system's locale: Qt's model writes sizes and
// dates in the system's words ("305 bytes", "7 Dec") and a folder's type in English
// ("Folder", which Qt's Japanese texts lack); this writes them in Japanese.
class JapaneseFileList final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files && index.column() >= kSizeColumn &&
            index.column() <= kDateColumn) {
            const QFileInfo info = files->fileInfo(mapToSource(index));
            if (index.column() == kDateColumn) {
                return kJapanese.toString(info.lastModified(), QLocale::ShortFormat);
            }
            if (index.column() == kSizeColumn && info.isFile()) {
                return kJapanese.formattedDataSize(info.size());
            }
            if (index.column() == kTypeColumn && info.isDir()) {
                return QStringLiteral("フォルダー");
            }
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    const QLocale kJapanese{QLocale::Japanese, QLocale::Japan};
};

// Choosing another file type gives the name typed the type's first suffix ("res.csv" becomes
// "res.CSV"): a suffix the type has in another case is kept as typed.
void KeepTypedSuffix(QFileDialog& dialog) {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (name == nullptr || types == nullptr) {
        return;
    }
    auto typed = std::make_shared<QString>();
    QObject::connect(name, &QLineEdit::textEdited, name,
                     [typed](const QString& text) { *typed = text; });
    // After the dialog's own handling of the choice, which was connected first.
    QObject::connect(types, &QComboBox::activated, name, [name, typed] {
        if (name->text() != *typed && name->text().compare(*typed, Qt::CaseInsensitive) == 0) {
            name->setText(*typed);
        }
    });
}

class DesktopChooser final : public FileChooser {
public:
    bool Choose(QWidget* owner, bool save, const QString& filter, const QString& defaultSuffix,
                const std::string& start, std::string& path, int& type) override {
        QFileDialog dialog(DialogOwner(owner), QString(), QFile::decodeName(start.c_str()), filter);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(defaultSuffix);
        // The windows ask their own overwrite question.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        dialog.setProxyModel(new JapaneseFileList(&dialog));
        KeepTypedSuffix(dialog);
        // The size, type and date columns are as wide as their texts, not cut at the
        // dialog's opening width.
        if (auto* list = dialog.findChild<QTreeView*>()) {
            for (int col = kSizeColumn; col <= kDateColumn; ++col) {
                list->header()->setSectionResizeMode(col, QHeaderView::ResizeToContents);
            }
        }
        if (ExecOwnedDialog(dialog, owner) != QDialog::Accepted ||
            dialog.selectedFiles().isEmpty()) {
            return false;
        }
        path = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
        type = std::max<int>(
            0, filter.split(QStringLiteral(";;")).indexOf(dialog.selectedNameFilter()));
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
    int type = 0;
    if (!gChooser->Choose(owner, mSave, Filter, DefaultExt, start, chosen, type)) {
        return false;
    }
    FileName = chosen;
    FilterIndex = type;
    return true;
}

QString EncodingTypes(const QString& name, const QString& patterns) {
    return QStringLiteral("%1 (%2);;%1 UTF-8 (%2);;%1 UTF-8 BOM付き (%2)").arg(name, patterns);
}

codepage::TextEncoding TypeEncoding(int type) {
    return type == 1   ? codepage::TextEncoding::utf8
           : type == 2 ? codepage::TextEncoding::utf8Bom
                       : codepage::TextEncoding::cp932;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
