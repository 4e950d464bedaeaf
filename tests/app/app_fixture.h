// A main window with its warning-log window, driven through scripted dialogs and message
// boxes, with its settings in a temporary folder; and a summary of its controls' states.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/filedialog.h"
#include "app/mainfrm.h"
#include "app/warnlogfrm.h"
#include "data/messagebox.h"
#include "engine/routesrchinterface.h"
#include "platform/codepage.h"
#include "tests/support/cp932_file.h"
#include "tests/support/temp_dir.h"

// Answers file dialogs from a queue: a path, or "" for a cancelled dialog.
class ScriptedChooser final : public FileChooser {
public:
    bool Choose(QWidget*, bool save, const QString& filter, const QString&,
                const std::string& start, std::string& path, int& type) override {
        starts.push_back(std::string(save ? "save:" : "open:") + start);
        filters.push_back(filter.toStdString());
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return false;
        }
        path = answers.front();
        answers.pop_front();
        type = types.empty() ? 0 : types.front();
        if (!types.empty()) {
            types.pop_front();
        }
        return !path.empty();
    }
    std::deque<std::string> answers;
    std::deque<int> types;             // the file type of each answer (the first when none)
    std::vector<std::string> filters;  // the file types each dialog offered
    std::vector<std::string> starts;   // how each dialog was started
};

// Answers questions from a queue (Yes when empty) and records every message.
class ScriptedPresenter final : public MessagePresenter {
public:
    MessageAnswer Present(MessageOwner, MessageKind kind, const std::string&,
                          const std::string& text) override {
        static const char* kKinds[] = {"error", "info", "question"};
        shown.push_back(std::string(kKinds[kind]) + ": " + text);
        if (kind != mkQuestion) {
            return maOk;
        }
        withdrawn = false;
        if (whileAsked) {
            std::exchange(whileAsked, nullptr)();
        }
        if (withdrawn) {
            return maNo;
        }
        if (answers.empty()) {
            return maYes;
        }
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void WithdrawQuestion() override { withdrawn = true; }
    std::deque<MessageAnswer> answers;
    std::vector<std::string> shown;
    std::function<void()> whileAsked;  // what happens while the next question is open
    bool withdrawn = false;            // the last question was withdrawn while open
};

class AppTest : public testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", config.Dir().c_str(), 1);
        SetFileChooser(&chooser);
        SetMessagePresenter(&presenter);
        form = std::make_unique<TMainForm>();
        warnLog = std::make_unique<TWarnLogForm>(
            form.get(), [this](const std::string& path) { return form->InputClash(path); });
        form->WarnLogForm = warnLog.get();
    }
    void TearDown() override {
        warnLog.reset();
        form.reset();
        SetFileChooser(nullptr);
        SetMessagePresenter(nullptr);
        ::unsetenv("XDG_CONFIG_HOME");
    }

    std::string File(const std::string& name, const std::string& utf8) {
        return files.Write(name, Cp932File(utf8));
    }
    void LoadMap(const std::string& path) {
        chooser.answers.push_back(path);
        form->MapFileReadMenuClick();
        Finish();
    }
    void LoadInstructions(const std::string& path) {
        chooser.answers.push_back(path);
        form->ReadRefDirFileMenuClick();
        Finish();
    }
    // Lets events run until the window's work has ended and its outcome is applied.
    void Finish() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !form->IsBusy(); }, 60000));
    }

    // Every control of the state table, in its order.
    std::string State() const {
        auto on = [](QWidget* w) { return w->isEnabled() ? "on" : "off"; };
        auto ticked = [](QCheckBox* box) { return box->isChecked() ? "yes" : "no"; };
        auto shown = [](QWidget* w) { return w->isHidden() ? "hidden" : "shown"; };
        auto both = [&](QWidget* a, QWidget* b) {
            return a->isHidden() == b->isHidden() ? shown(a) : "mixed";
        };
        return std::string("map ") + on(form->MAPFileReadBtn) + ", drf " +
               on(form->ReadRefDirFileBtn) + ", search " + on(form->SearchBtn) + ", save " +
               on(form->ResultPreservBtn) + ", mapchk " + ticked(form->MAPCheckBox) + ", drfchk " +
               ticked(form->DRFCheckBox) + ", mapwarn " +
               both(form->MAPWarnImage, form->MAPWarnLabel) + ", drwarn " +
               both(form->DRWarnImage, form->DRWarnLabel) + ", grid " + shown(form->ResultGrid) +
               ", progress " + both(form->ProgLabel, form->ProgressBar) + ", nodes '" +
               form->NodeNumSText->text().toStdString() + "', drfs '" +
               form->DRNumSText->text().toStdString() + "', successes '" +
               form->SuccessNumSText->text().toStdString() + "'";
    }

    // The grid's data rows, cells joined by '|', rows by '/' (decoded).
    std::string GridRows() const {
        std::string out;
        tqGrid& grid = *form->ResultGrid;
        for (int row = grid.FixedRows(); row < grid.RowCount(); ++row) {
            out += row > grid.FixedRows() ? "/" : "";
            for (int col = 0; col < grid.ColCount(); ++col) {
                out += (col ? "|" : "") + codepage::Cp932ToUtf8(grid.Cells(col, row));
            }
        }
        return out;
    }

    std::string Setting(const char* key) const {
        std::string ini = TempDir::Read(config.Path("QRLX.INI"));
        size_t at = ini.find(std::string(key) + "=");
        if (at == std::string::npos) {
            return "<none>";
        }
        size_t end = ini.find('\r', at);
        return ini.substr(at + strlen(key) + 1, end - at - strlen(key) - 1);
    }

    TempDir config;
    TempDir files;
    ScriptedChooser chooser;
    ScriptedPresenter presenter;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TWarnLogForm> warnLog;
};

inline const char* kEmptyState =
    "map on, drf off, search off, save off, mapchk no, drfchk no, mapwarn shown, drwarn shown, "
    "grid hidden, progress hidden, nodes '', drfs '', successes ''";
