#include "platform/filereason.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string FileFailureReason(int error) {
    switch (error) {
        case 0:
            return {};
        case EACCES:
        case EPERM:
            return "書込みの権限がありません";
        case ENOENT:
        case ENOTDIR:
            return "フォルダがありません";
        case ENOSPC:
        case EDQUOT:
            return "ディスクの空きがありません";
        case EROFS:
            return "読取り専用の場所です";
        case EISDIR:
            return "フォルダです";
        case EIO:
            return "ディスクへの読み書きに失敗しました";
        default:
            return std::strerror(error);
    }
}

std::string ReadFailureReason(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == EACCES ? "読込みの権限がありません" : std::string();
    }
    if (S_ISDIR(info.st_mode)) {
        return "フォルダです";
    }
    if (::access(path.c_str(), R_OK) != 0) {
        return "読込みの権限がありません";
    }
    return "空のファイルです";  // it opens, so nothing was in it
}

std::string ReasonSuffix(const std::string& reason) {
    return reason.empty() ? std::string() : "(" + reason + ")";
}
