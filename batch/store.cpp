#include "batch/store.h"

#include <cstdio>

#include "batch/exitcode.h"
#include "batch/failurereason.h"
#include "batch/routelines.h"
#include "data/systemtext.h"
#include "engine/readfailure.h"
#include "engine/routesrchinterface.h"
#include "platform/codepage.h"
#include "platform/filereason.h"
#include "platform/textfile.h"

namespace {

// Table names match as SQLite matches them: ASCII letters in either case. The names are
// compared as UTF-8, where no byte of another character is an ASCII letter.
bool SameTableName(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The layer takes CP932 names; the command line gives UTF-8.
std::string TableName(const std::string& argument) {
    std::string cp932;
    return codepage::Utf8ToCp932Exact(argument, cp932) ? cp932 : std::string();
}

}  // namespace

int Store::Open() {
    if (mArguments.database.empty()) {
        return ecSuccess;
    }
    for (const std::string* name :
         {&mArguments.map, &mArguments.instructions, &mArguments.result}) {
        if (TableName(*name).empty()) {
            std::fprintf(stderr, "テーブル名[%s]にShift-JISで表せない文字があります。\n",
                         name->c_str());
            return ecUsage;
        }
    }
    for (const std::string* input : {&mArguments.map, &mArguments.instructions}) {
        if (SameTableName(mArguments.result, *input)) {
            std::fprintf(stderr, "出力テーブル[%s]は入力テーブル[%s]と同じテーブルです。\n",
                         mArguments.result.c_str(), input->c_str());
            return ecUsage;
        }
    }
    mResultTable = TableName(mArguments.result);
    try {
        mDb = std::make_unique<tqDAODatabase>(mArguments.database);
    } catch (const tqDaoError& error) {
        std::fprintf(stderr, "データベース[%s]を開けません。(%s)\n", mArguments.database.c_str(),
                     DatabaseFailureReason(error.Code()).c_str());
        return ecCannotRead;
    }
    return ecSuccess;
}

std::string Store::Shown(const std::string& name) const {
    return mDb ? mArguments.database + ":" + name : name;
}

RSIF::typSource Store::Source(const std::string& argument) {
    if (!mDb) {
        return {InputPath(argument), {}};
    }
    return {{}, [this, argument](TSLtabCL& table) {
                return TSLtabDbCL::LoadQueryInto(
                    table, *mDb, "SELECT * FROM " + QuotedName(TableName(argument)), true);
            }};
}

bool Store::Unreadable(const std::string& argument, int code) {
    if (const int error = mDb->TakeLastError(); code == RSIF::rrCannotRead && error != 0) {
        TableUnreadable(argument, error);
        return true;
    }
    return false;
}

template <typename Read>
auto Store::ReadInput(const std::string& argument, const Read& read)
    -> std::optional<decltype(read(RSIF::typSource{}))> {
    if (mDb) {
        if (!HasTable(argument)) {
            return std::nullopt;
        }
        mDb->TakeLastError();
    }
    auto outcome = read(Source(argument));
    if (mDb && Unreadable(argument, outcome.code)) {
        return std::nullopt;
    }
    return outcome;
}

std::optional<RSIF::typMapLoad> Store::LoadMap(int threads) {
    return ReadInput(mArguments.map, [threads](const RSIF::typSource& source) {
        return RSIF::LoadMap(source, threads);
    });
}

std::optional<RSIF::typReadOutcome> Store::ReadInstructions() {
    return ReadInput(mArguments.instructions, RSIF::ReadDRF);
}

bool Store::HasTable(const std::string& argument) {
    try {
        if (mDb->HasTable(TableName(argument))) {
            return true;
        }
    } catch (const tqDaoError& error) {
        TableUnreadable(argument, error.Code());
        return false;
    }
    std::fprintf(stderr, "データベース[%s]にテーブル[%s]がありません。\n",
                 mArguments.database.c_str(), argument.c_str());
    return false;
}

void Store::TableUnreadable(const std::string& argument, int code) const {
    std::fprintf(stderr, "データベース[%s]のテーブル[%s]を読めません。(%s)\n",
                 mArguments.database.c_str(), argument.c_str(),
                 DatabaseFailureReason(code).c_str());
}

int Store::WriteFailure(const std::string& reason) const {
    std::fprintf(
        stderr, "%s\n",
        RSIF::WriteFailureMessage(RSIF::okResults, Shown(mArguments.result), reason).c_str());
    return ecCannotWrite;
}

int Store::BeginResults(TSLtabDbCL& results) {
    const std::string path = OutputPath(mArguments.result);
    if (mDb || textfile::TextFileWriter::WritesDirectly(path)) {
        return ecSuccess;  // a pipe's reader must not see rows of a run that fails later
    }
    results.SetSaveEncoding(mArguments.encoding);
    if (!mResultFile.Open(path, TSFileStreamCL::fmWrite)) {
        return WriteFailure(FileFailureReason(mResultFile.Failure()));
    }
    mResultFile.SetWriteEncoding(mArguments.encoding);
    return ecSuccess;
}

void Store::WriteAdded(TSLtabDbCL& results) {
    if (mResultFile.mode != TSFileStreamCL::fmWrite || mWriteFailed) {
        return;
    }
    const uint32_t lines = results.GetRowCount() + 1;
    if (!results.WriteCsvLines(mResultFile, mLinesWritten, lines)) {
        mWriteFailure = FileFailureReason(mResultFile.Failure());
        mWriteFailed = true;
    }
    mLinesWritten = lines;
}

int Store::Write(TSLtabDbCL& results) {
    if (mResultFile.mode == TSFileStreamCL::fmWrite) {
        WriteAdded(results);
        if (mWriteFailed || !mResultFile.Close()) {
            if (!mWriteFailed) {
                mWriteFailure = FileFailureReason(mResultFile.Failure());
            }
            mResultFile.Discard();
            return WriteFailure(mWriteFailure);
        }
        return ecSuccess;
    }
    if (!mDb) {
        results.SetSaveEncoding(mArguments.encoding);
        return results.SaveCsvFile(OutputPath(mArguments.result))
                   ? ecSuccess
                   : WriteFailure(FileFailureReason(results.SaveFailure()));
    }
    bool lacksColumns = false;
    mDb->TakeLastError();
    const bool written = mDb->InTransaction([&] {
        bool made = false;
        lacksColumns = !PrepareResultTable(results, made);
        if (lacksColumns || !results.ReplaceDbTable(*mDb, mResultTable)) {
            return false;
        }
        return DrawRoutes(made);
    });
    if (written) {
        return ecSuccess;
    }
    if (lacksColumns) {
        return WriteFailure("テーブル[" + mArguments.result + "]に検索結果の列がありません");
    }
    const int error = mDb->TakeLastError();
    return WriteFailure(error != 0 ? DatabaseFailureReason(error) : std::string());
}

bool Store::DrawRoutes(bool madeTable) {
    const std::optional<RouteLines> lines = RouteLines::OfMap(*mDb, mArguments.map);
    if (!lines) {
        return true;
    }
    if (madeTable) {
        lines->MakeLayer(*mDb, mArguments.result);
    }
    const std::optional<std::string> column = RouteLines::LayerColumn(*mDb, mArguments.result);
    return !column || lines->Write(*mDb, mArguments.result, *column, mArguments.nodeRows);
}

bool Store::PrepareResultTable(TSLtabCL& results, bool& made) {
    made = false;
    tqList<tqDaoDef::FieldInf> fields;
    if (mDb->LoadFieldList(mResultTable, fields)) {
        for (uint32_t col = 1; col <= results.GetColCount(); ++col) {
            bool found = false;
            for (int i = 0; i < fields.Count() && !found; ++i) {
                found = fields.Get(i)->Name == tqString(results.GetTitle(col));
            }
            if (!found) {
                return false;
            }
        }
        return true;
    }
    // The counts, steps and distances are integers.
    std::vector<tqDaoDef::FieldInf> columns(results.GetColCount());
    for (uint32_t col = 1; col <= results.GetColCount(); ++col) {
        const std::string title = results.GetTitle(col);
        bool number = false;
        for (const char* numbers : {"R_検索結果", "R_距離", "R_ノード数", "R_順番", "R_累積距離"}) {
            number = number || title == SystemText(numbers);
        }
        columns[col - 1].Name = title.c_str();
        columns[col - 1].Type = number ? tqDaoDef::dbLong : tqDaoDef::dbMemo;
    }
    mDb->CreateTable(mResultTable, columns);
    made = true;
    return true;
}
