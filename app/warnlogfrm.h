// TWarnLogForm: the warnings of the last successful load, one line per rejected input
// line, with a command to save them as a text file.
#pragma once

#include <QDialog>
#include <QPoint>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/filedialog.h"
#include "data/tqlist.h"
#include "data/tqstring.h"
#include "platform/filereason.h"
#include "platform/helperthreads.h"

class QGroupBox;
class QListView;
class QPushButton;
class WarnLogLines;

class TWarnLogForm : public QDialog {
public:
    // Why the log may not be saved as a file (it is an input of the main window), or empty.
    using OutputCheck = std::function<std::string(const std::string& path)>;
    explicit TWarnLogForm(QWidget* mainWindow, OutputCheck outputClash = {});
    ~TWarnLogForm() override;

    QGroupBox* GroupBox1;
    QListView* WarnLogListBox;  // rows of WarnLogLines: any number of lines hand over at once
    QPushButton* LogSaveBtn;
    QPushButton* CancelBtn;
    FileDialog SaveDialog;

    // Replaces the lines with copies of `warnings`; shows the window when there is at least
    // one, closes it otherwise.
    void HandOver(const tqList<tqString>& warnings);
    // The lines as received (CP932 bytes).
    const std::vector<std::string>& Lines() const { return mLines; }

    void CancelBtnClick();
    // Saves the lines on a helper thread (a long log takes a while to write and sync); the
    // window answers meanwhile and says afterwards when the save failed.
    void LogSaveBtnClick();
    bool IsSaving() const { return mSaving != nullptr; }

protected:
    // The first time centred on the main window; after that where it was last.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Ends a save once its helper has posted its end: the button back, the failure said.
    void SaveEnded();

    std::vector<std::string> mLines;
    struct Save;
    std::shared_ptr<Save> mSave;
    std::unique_ptr<HelperThreads> mSaving;  // set while a save runs
    OutputCheck mOutputClash;
    WarnLogLines* mListed;
    std::optional<QPoint> mLastPosition;
};
