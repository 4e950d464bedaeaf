// The open and save dialogs of the windows, with a replaceable chooser so that tests can
// answer them.
#pragma once

#include <QString>

#include <string>

#include "platform/codepage.h"

class QWidget;

// Shows one file dialog. `start` is a directory or a file to start at (may be empty);
// true with `path` set when a file was chosen, and `type` to the place of the file type
// chosen among those `filter` lists (";;" between them, the first 0); false when the
// dialog was cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual bool Choose(QWidget* owner, bool save, const QString& filter,
                        const QString& defaultSuffix, const std::string& start, std::string& path,
                        int& type) = 0;
};

// Installs `chooser` (not owned; null restores the desktop's dialogs).
void SetFileChooser(FileChooser* chooser);

// One dialog of a window: it starts in InitialDir, and after a choice at the chosen file.
class FileDialog {
public:
    FileDialog(QString filter, QString defaultSuffix, bool save)
        : Filter(std::move(filter)), DefaultExt(std::move(defaultSuffix)), mSave(save) {}

    QString Filter;          // Qt form, e.g. "CSVﾌｧｲﾙ (*.CSV *.csv)"; ";;" between types
    QString DefaultExt;      // added to a name typed without extension
    std::string InitialDir;  // native path bytes
    std::string FileName;    // the last chosen file, native path bytes
    int FilterIndex = 0;     // the file type of the last choice, from 0

    // Shows the dialog; true with FileName set when a file was chosen.
    bool Execute(QWidget* owner);

private:
    bool mSave;
};

// The file types of a save dialog for a text the program holds in CP932 ("CSVﾌｧｲﾙ" for
// `name`, `patterns` "*.CSV *.csv"): the file as it is, then in UTF-8, then in UTF-8 after
// a byte-order mark; TypeEncoding gives the encoding of the type chosen.
QString EncodingTypes(const QString& name, const QString& patterns);
codepage::TextEncoding TypeEncoding(int type);

// The directory part of `path`, ending with '/' ("" when there is none).
std::string DirectoryOf(const std::string& path);
