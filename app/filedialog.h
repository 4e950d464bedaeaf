// The open and save dialogs of the windows, with a replaceable chooser so that tests can
// answer them.
#pragma once

#include <QString>

#include <string>

class QWidget;

// Shows one file dialog. `start` is a directory or a file to start at (may be empty);
// true with `path` set when a file was chosen, false when the dialog was cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual bool Choose(QWidget* owner, bool save, const QString& filter,
                        const QString& defaultSuffix, const std::string& start,
                        std::string& path) = 0;
};

// Installs `chooser` (not owned; null restores the desktop's dialogs).
void SetFileChooser(FileChooser* chooser);

// One dialog of a window: it starts in InitialDir, and after a choice at the chosen file.
class FileDialog {
public:
    FileDialog(QString filter, QString defaultSuffix, bool save)
        : Filter(std::move(filter)), DefaultExt(std::move(defaultSuffix)), mSave(save) {}

    QString Filter;          // Qt form, e.g. "CSVﾌｧｲﾙ (*.CSV *.csv)"
    QString DefaultExt;      // added to a name typed without extension
    std::string InitialDir;  // native path bytes
    std::string FileName;    // the last chosen file, native path bytes

    // Shows the dialog; true with FileName set when a file was chosen.
    bool Execute(QWidget* owner);

private:
    bool mSave;
};

// The directory part of `path`, ending with '/' ("" when there is none).
std::string DirectoryOf(const std::string& path);
