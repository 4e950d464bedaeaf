#include "data/messagebox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ScriptedPresenter final : public MessagePresenter {
public:
    struct Shown {
        MessageOwner owner;
        MessageKind kind;
        std::string caption;
        std::string text;
    };
    MessageAnswer Present(MessageOwner owner, MessageKind kind, const std::string& caption,
                          const std::string& text) override {
        shown.push_back({owner, kind, caption, text});
        return answer;
    }
    MessageAnswer answer = maOk;
    std::vector<Shown> shown;
};

class MessageBoxTest : public testing::Test {
protected:
    void SetUp() override {
        SetMessagePresenter(&presenter);
        SetMessageCaption("ロトミナ");
    }
    void TearDown() override { SetMessagePresenter(nullptr); }
    ScriptedPresenter presenter;
};

TEST_F(MessageBoxTest, BoxesCarryCaptionKindOwnerAndFormattedText) {
    int owner = 0;
    ShowErrorMessage(&owner, "%sを読めません。(%d)", "/tmp/map.csv", 2);
    ShowInfoMessage(nullptr, "保存しました。");
    ASSERT_EQ(presenter.shown.size(), 2u);
    EXPECT_EQ(presenter.shown[0].owner, &owner);
    EXPECT_EQ(presenter.shown[0].kind, mkError);
    EXPECT_EQ(presenter.shown[0].caption, "ロトミナ");
    EXPECT_EQ(presenter.shown[0].text, "/tmp/map.csvを読めません。(2)");
    EXPECT_EQ(presenter.shown[1].kind, mkInfo);
}

TEST_F(MessageBoxTest, AskYesNoTellsTheCallerToStopUnlessYes) {
    presenter.answer = maYes;
    EXPECT_FALSE(AskYesNo(nullptr, "続けますか?"));
    presenter.answer = maNo;
    EXPECT_TRUE(AskYesNo(nullptr, "続けますか?"));
    EXPECT_EQ(presenter.shown.back().kind, mkQuestion);
}

TEST_F(MessageBoxTest, LongMessagesAreKeptWhole) {
    std::string path = "/" + std::string(3000, 'p') + ".csv";
    ShowErrorMessage(nullptr, "%s が見つかりません。", path.c_str());
    EXPECT_EQ(presenter.shown.back().text, path + " が見つかりません。");
}

TEST(MessageBoxDefaultTest, WritesToStandardErrorAndAnswersNo) {
    SetMessageCaption("QRLX");
    testing::internal::CaptureStderr();
    bool stop = AskYesNo(nullptr, "上書きしますか?");
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(stop);
    EXPECT_NE(written.find("QRLX"), std::string::npos);
    EXPECT_NE(written.find("上書きしますか?"), std::string::npos);
}

}  // namespace
