// Commands and closing while a search runs.
#include <QApplication>
#include <QTimer>

#include <string>

#include "app_fixture.h"

namespace {

class GuardTest : public AppTest {
protected:
    void LoadSample() {
        std::string map = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
        std::string drf = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
        for (int i = 0; i < 30; ++i) {
            map += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + ",1\n";
            drf += "s" + std::to_string(i) + ",N0,N" + std::to_string(i + 1) + "\n";
        }
        LoadMap(File("map.csv", map));
        LoadInstructions(File("drf.csv", drf));
    }
};

TEST_F(GuardTest, OtherCommandsDoNothingWhileASearchRuns) {
    LoadSample();
    const size_t dialogs = chooser.starts.size();
    bool ran = false;
    QTimer::singleShot(0, form.get(), [&] {
        ran = true;
        EXPECT_TRUE(form->IsBusy());
        form->MapFileReadMenuClick();
        form->ReadRefDirFileMenuClick();
        form->ResultPreservBtnClick();
        form->SearchBtnClick();
        EXPECT_EQ(
            State(),
            "map on, drf on, search off, save off, mapchk yes, drfchk yes, mapwarn hidden, "
            "drwarn hidden, grid hidden, progress shown, nodes '31', drfs '30', successes ''");
    });
    form->SearchBtnClick();
    EXPECT_TRUE(ran);
    EXPECT_EQ(chooser.starts.size(), dialogs);  // no dialog opened meanwhile
    EXPECT_TRUE(presenter.shown.empty());
    EXPECT_EQ(form->SuccessNumSText->text().toStdString(), "30");
    EXPECT_FALSE(form->IsBusy());
}

TEST_F(GuardTest, CloseDuringASearchWaitsForItsEnd) {
    LoadSample();
    form->show();
    bool refused = false;
    QTimer::singleShot(0, form.get(), [&] { refused = !form->close(); });
    form->SearchBtnClick();
    EXPECT_TRUE(refused);
    EXPECT_EQ(form->SuccessNumSText->text().toStdString(), "30");  // the search finished
    EXPECT_TRUE(form->isVisible());
    QApplication::processEvents();  // the deferred close
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
