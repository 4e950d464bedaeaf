#include "batch/failurereason.h"

#include <sqlite3.h>

std::string DatabaseFailureReason(int code) {
    switch (code) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "他のプログラムが使用中です";
        case SQLITE_NOTADB:
            return "データベースではありません";
        case SQLITE_CORRUPT:
            return "データベースが壊れています";
        case SQLITE_CANTOPEN:
            return "ファイルがないか、開けません";
        case SQLITE_PERM:
        case SQLITE_READONLY:
        case SQLITE_AUTH:
            return "書込みの権限がありません";
        case SQLITE_FULL:
            return "ディスクの空きがありません";
        case SQLITE_CONSTRAINT:
            return "テーブルの制約(CHECK、NOT NULL、UNIQUEなど)に合わない検索結果があります";
        default:
            return sqlite3_errstr(code);
    }
}
