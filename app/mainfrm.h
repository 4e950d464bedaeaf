// TMainForm: the main window with its commands: load a map file, load a search-instruction
// file, run the search, save the results; the result grid; help and information.
//
// Who owns what, on which thread:
// - The engine (the network and the instruction records) is made and destroyed on the
//   window's thread, destroyed only when no job runs and the grid no longer shows its rows.
// - While a load or a search runs, its job on the worker is the only code that changes or
//   frees the network and the records; the window's thread reads neither. The result grid
//   withholds its rows from BeginWork to EndWork, so that it never reads them meanwhile.
//   A save's job only reads them, as the grid may.
// - The grid's rows (ResultRows) read the records and are shared with the grid: made by a
//   job or on the window's thread, freed on the window's thread when the grid lets them go.
#pragma once

#include <QMainWindow>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "app/engineworker.h"
#include "app/filedialog.h"
#include "engine/progress.h"
#include "engine/readfailure.h"
#include "grid/tqgrid.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QShortcut;
class QTimer;
class ResultRows;
class TVersionForm;
class TWarnLogForm;

class TMainForm : public QMainWindow {
public:
    TMainForm();
    ~TMainForm() override;

    // The other windows, set by the start-up after they are created (not owned).
    TWarnLogForm* WarnLogForm = nullptr;
    TVersionForm* VersionForm = nullptr;

    QLabel* NodeNumSText;
    QLabel* DRNumSText;
    QLabel* SuccessNumSText;
    QCheckBox* MAPCheckBox;
    QCheckBox* DRFCheckBox;
    QPushButton* MAPFileReadBtn;
    QPushButton* ReadRefDirFileBtn;
    QPushButton* SearchBtn;
    QPushButton* ResultPreservBtn;
    QLabel* MAPWarnImage;
    QLabel* MAPWarnLabel;
    QLabel* DRWarnImage;
    QLabel* DRWarnLabel;
    QLabel* ProgLabel;
    QProgressBar* ProgressBar;
    tqGrid* ResultGrid;
    tqGrid* tqGrid1;  // a second grid of the layout, kept covered: nothing addresses it

    QMenu* FileMenu;
    QAction* MapFileReadMenu;
    QAction* ReadRefDirFileMenu;
    QAction* ResultPreservMenu;
    QAction* EndMenu;
    QMenu* RunMenu;
    QAction* SearchMenu;
    QMenu* H1;
    QAction* HelpMenu;
    QAction* MorvaneMenu;
    QAction* SupportPageMenu;
    QAction* VersionInfMenu;

    FileDialog OpenDialog;
    FileDialog SaveDialog;

    // Commands (mainfrm_load.cpp, mainfrm_search.cpp, mainfrm_save.cpp, mainfrm_help.cpp).
    // A load, a search or a save runs on the engine's worker: the command returns at once
    // and the window applies the outcome when the work ends. Meanwhile the commands that
    // change data do nothing and say so in the status strip. Escape stops a load (nothing
    // changes) and asks whether to stop a search (what was searched is kept).
    void MapFileReadMenuClick();
    void ReadRefDirFileMenuClick();
    void SearchBtnClick();
    void ResultPreservBtnClick();
    void EndMenuClick();
    void HelpMenuClick();
    void MorvaneMenuClick();
    void SupportPageMenuClick();
    void VersionInfMenuClick();
    void ResultGridCellState(tqGrid& sender, int ARow, int ACol, bool Standard,
                             CellStateCL& CellState);

    // The help file: beside the program (a build folder), else where an installation keeps
    // it (share/doc/qrlx beside bin); the first when neither exists.
    static std::string HelpFilePath(const std::string& programDirectory);

    // True while a load, a search or a save is under way, until its outcome is applied.
    bool IsBusy() const { return mBusy; }
    // Why no save of the window may write `output`: it is the map or the instruction file
    // loaded or being loaded (the message naming both); empty when it may.
    std::string InputClash(const std::string& output) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Progress;
    class EndWorkScope;
    enum WorkKind { wkLoad, wkSearch, wkSave };

    void BuildWindow();
    // The counters and commands above the tab page.
    void BuildStrip(QWidget* strip);
    // The tab page: the warnings, the progress bar and the result grid over them.
    void BuildResultPage(QWidget* page);
    void BuildMenus();
    void FormCreate();
    // Shows why a file could not be loaded; true when it was.
    bool CheckRead(const RSIF::typReadOutcome& outcome, const std::string& path,
                   RSIF::FileKind kind);
    void ShowScratchFailure();
    void ShowProgress(bool shown);
    // Opens a web page with the desktop's program; says in the status strip when there is
    // none.
    void OpenPage(const char* address);
    // Watches the programs started to open the help file and the pages until they have
    // answered, and says where one found no program.
    void WatchOpeners();
    void OpenersChecked();
    // True (with a note in the status strip) when work is under way, or when `command`, the
    // button of the command asked for, is off: a menu item or a queued click may come after
    // the state that allowed it.
    bool Refused(const QPushButton* command);
    // Marks the window busy with `note` in the status strip until EndWork; the note of each
    // next phase replaces it (NoteWork). A close asked for meanwhile happens at EndWork.
    void BeginWork(WorkKind work, const QString& note);
    void NoteWork(const QString& note);
    void EndWork();
    // Escape during work: stops a load, asks whether to stop a search.
    void StopAsked();
    // On the worker, once a file's titles have passed: remembers its folder and shows
    // `nextNote`; false when the folder cannot be remembered (said). Throws WorkStopped when
    // the load is to stop: a stopped load remembers nothing.
    bool TitlesRead(const std::string& path, const QString& nextNote);
    // Says how a load that ended `ending` with `read` went; true (with the grid as it was)
    // when it changed nothing: stopped, or refused before its titles had passed.
    bool LoadChangedNothing(EngineWorker::Ending ending, const RSIF::typReadOutcome& read,
                            bool titlesRead, const std::string& path, RSIF::FileKind kind,
                            bool gridShown);
    void MapLoadEnded(EngineWorker::Ending ending, const std::string& path, RSIF::typMapLoad& load,
                      bool titlesRead, bool gridShown);
    // The instructions loaded, in the grid and the counters.
    void ShowInstructions(bool built, const tqList<tqString>& warnings);
    // Shows the rows of a run (built beside it; null when memory ran out during it).
    void SearchEnded(EngineWorker::Ending ending, std::shared_ptr<ResultRows> rows);

    std::unique_ptr<Progress> mProgress;
    std::unique_ptr<EngineWorker> mWorker;  // after mProgress: goes first
    bool mBusy = false;
    WorkKind mWork = wkLoad;
    QString mBusyNote;     // stands in the status strip for as long as the work runs
    QString mStoppedNote;  // stands there after stopped work
    bool mCloseAfterWork = false;
    bool mStopQuestionOpen = false;  // "stop the search?" waits for its answer
    QShortcut* mStopShortcut = nullptr;
    QTimer* mOpenerCheck = nullptr;
    std::optional<std::chrono::steady_clock::time_point> mHelpOpenedAt;  // the last help opened
    bool mEngineAlive = false;
    std::string mMapPath;           // the map loaded, as chosen
    std::string mInstructionsPath;  // the instruction file loaded, as chosen
    std::string mLoadingPath;       // the file a load under way reads
};
