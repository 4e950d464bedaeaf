#include "platform/filereason.h"

#include <cstring>

std::string FileFailureReason(const FileFailure& failure) {
    if (!failure) {
        return {};
    }
    const bool reading = failure.doing == FileFailure::fdReading;
    switch (failure.error) {
        case 0:
            return reading ? "空のファイルです" : std::string();
        case EACCES:
        case EPERM:
            return reading ? "読込みの権限がありません" : "書込みの権限がありません";
        case ENOENT:
        case ENOTDIR:
            return reading ? "ファイルがありません" : "フォルダがありません";
        case ENOSPC:
        case EDQUOT:
            return "ディスクの空きがありません";
        case EROFS:
            return "読取り専用の場所です";
        case EISDIR:
            return "フォルダです";
        case EIO:
            return "ディスクへの読み書きに失敗しました";
        case EILSEQ:
            return reading ? std::strerror(failure.error)
                           : "Shift-JISとして読めないバイトがあり、UTF-8で書けません";
        case EFBIG:
            return "ファイルの大きさの上限を超えます";
        case ENODATA:
            return reading ? "読込みの途中でファイルが短くなりました"
                           : std::strerror(failure.error);
        default:
            return std::strerror(failure.error);
    }
}

std::string ReasonSuffix(const std::string& reason) {
    return reason.empty() ? std::string() : "(" + reason + ")";
}
