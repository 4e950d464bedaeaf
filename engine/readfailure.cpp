#include "engine/readfailure.h"

#include "data/formattext.h"

namespace RSIF {

std::string ReadFailureMessage(const typReadOutcome& outcome, const std::string& shown,
                               FileKind kind) {
    const char* path = shown.c_str();
    switch (outcome.code) {
        case rrTitleMissing:
            return FormatText(
                kind == fkMap
                    ? "指定されたファイル[%s]はＭＡＰファイルのフォーマットと適合しません。"
                    : "指定されたファイル[%s]は検索指示ファイルのフォーマットと適合しません。",
                path);
        case rrScratchFailed:
            return ScratchFailureMessage();
        case rrTooLarge:
            return FormatText("指定されたファイル[%s]は大きすぎて読込めません。", path);
        case rrNotCp932:
            return FormatText(
                "指定されたファイル[%s]の[%04u]行%u列目に、Shift-JISで表せない文字があります。",
                path, outcome.unconvertible.Row, outcome.unconvertible.Column);
        default:
            break;
    }
    if (outcome.failure.Missing()) {
        return FormatText("指定されたファイル[%s]は存在しません。", path);
    }
    return FormatText("指定されたファイル[%s]を読込めません。%s", path,
                      ReasonSuffix(FileFailureReason(outcome.failure)).c_str());
}

std::string ScratchFailureMessage() {
    return FormatText("一時フォルダ[%s]の作業ファイルを作成または読み書きできません。",
                      ScratchFolder().c_str());
}

std::string WriteFailureMessage(OutputKind kind, const std::string& shown,
                                const std::string& reason) {
    return FormatText(kind == okResults ? "検索結果ファイル[%s]の保存に失敗しました。%s"
                                        : "警告ログファイル[%s]の保存に失敗しました。%s",
                      shown.c_str(), ReasonSuffix(reason).c_str());
}

std::string OutOfMemoryMessage() { return "メモリが不足しています。"; }

}  // namespace RSIF
