#include "db/tqdao.h"

#include <sqlite3.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

#include "platform/codepage.h"

namespace tqDaoDef {

bool IsTextType(int32_t type) { return type == dbText || type == dbMemo; }

namespace {

FieldType TypeOf(std::string declared) {
    for (char& c : declared) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    auto has = [&](const char* part) { return declared.find(part) != std::string::npos; };
    if (has("CHAR")) {
        return dbText;
    }
    if (declared.empty() || has("TEXT") || has("CLOB") || has("MEMO")) {
        return dbMemo;
    }
    if (has("INT")) {
        return dbLong;
    }
    if (has("BLOB")) {
        return dbLongBinary;
    }
    return dbDouble;
}

}  // namespace
}  // namespace tqDaoDef

using tqDaoDef::Value;

namespace {

std::string ToUtf8(const std::string& cp932) { return codepage::Cp932ToUtf8(cp932); }

// " @ file/line" of this source file, without the folders of the build.
std::string Place(int line) {
    std::string_view file = __FILE__;
    file.remove_prefix(file.rfind('/') + 1);  // npos + 1 is 0: a bare name stays
    return " @ " + std::string(file) + "/" + std::to_string(line);
}

// A text from the engine as CP932, exactly: a character CP932 cannot hold or a NUL (which
// would end the text early) raises tqDaoUnconvertible for `column`.
std::string ExactCp932(std::string_view utf8, size_t column) {
    std::string cp932;
    if (utf8.find('\0') != std::string_view::npos || !codepage::Utf8ToCp932Exact(utf8, cp932)) {
        throw tqDaoUnconvertible(column);
    }
    return cp932;
}

// A REAL in plain positional notation, the shortest that reads back as the same value,
// with ".0" after a whole number as SQLite writes one: 2000000000000000.0, not 2.0e+15.
std::string RealText(double value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NaN" : value < 0 ? "-Inf" : "Inf";
    }
    char buffer[400];  // the longest double written out whole has 309 digits
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, written.ptr);
    if (text.find('.') == std::string::npos) {
        text += ".0";
    }
    return text;
}

// A statement that is finalized when it goes out of scope.
class Statement {
public:
    explicit Statement(sqlite3_stmt* statement) : mStatement(statement) {}
    ~Statement() { sqlite3_finalize(mStatement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return mStatement; }

private:
    sqlite3_stmt* mStatement;
};

void Bind(tqDAODatabase& db, sqlite3_stmt* statement, int index, const Value& value) {
    int code = SQLITE_OK;
    if (value.kind == Value::vkNull) {
        code = sqlite3_bind_null(statement, index);
    } else if (value.kind == Value::vkBytes) {
        code = sqlite3_bind_blob(statement, index, value.bytes.data(),
                                 static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
    } else {
        const std::string utf8 = ToUtf8(value.bytes);
        code = sqlite3_bind_text(statement, index, utf8.data(), static_cast<int>(utf8.size()),
                                 SQLITE_TRANSIENT);
    }
    db.Check(code, "sqlite3_bind", __LINE__);
}

// The value of the statement's `column`, which is the `place`th value fetched.
Value ColumnValue(sqlite3_stmt* statement, int column, size_t place) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_NULL:
            return Value::Null();
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
            std::string bytes(data ? data : "", sqlite3_column_bytes(statement, column));
            if (bytes.find('\0') != std::string::npos) {
                throw tqDaoUnconvertible(place);
            }
            return Value::Bytes(std::move(bytes));
        }
        case SQLITE_FLOAT:
            return Value::Text(RealText(sqlite3_column_double(statement, column)));
        default: {
            const auto* text =
                reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
            return Value::Text(ExactCp932(
                std::string_view(text ? text : "", sqlite3_column_bytes(statement, column)),
                place));
        }
    }
}

}  // namespace

std::string QuotedName(const std::string& name) {
    std::string quoted = "\"";  // '"' is never a byte of a CP932 or UTF-8 character
    for (char c : name) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

tqDAODatabase::tqDAODatabase(const std::string& path) {
    const int code = sqlite3_open_v2(path.c_str(), &mDb, SQLITE_OPEN_READWRITE, nullptr);
    if (code != SQLITE_OK) {
        const std::string text = mDb ? sqlite3_errmsg(mDb) : sqlite3_errstr(code);
        sqlite3_close(mDb);
        mDb = nullptr;
        throw tqDaoError("'sqlite3_open_v2': " + text + Place(__LINE__), code & 0xFF);
    }
    sqlite3_extended_result_codes(mDb, 1);
    sqlite3_busy_timeout(mDb, kBusyTimeoutMs);
    try {
        // Opening reads nothing: a file that is no database shows only when read.
        Statement schema(Prepare("SELECT count(*) FROM sqlite_schema", "Open"));
        Check(sqlite3_step(schema.get()), "Open", __LINE__);
    } catch (const tqDaoError&) {
        sqlite3_close(mDb);
        mDb = nullptr;
        throw;
    }
}

tqDAODatabase::~tqDAODatabase() { sqlite3_close(mDb); }

void tqDAODatabase::Check(int code, const char* call, int line) const {
    if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW) {
        return;
    }
    const char* text = mDb ? sqlite3_errmsg(mDb) : sqlite3_errstr(code);
    mLastError = code & 0xFF;
    throw tqDaoError(std::string("'") + call + "': " + text + Place(line), mLastError);
}

int tqDAODatabase::TakeLastError() { return std::exchange(mLastError, 0); }

sqlite3_stmt* tqDAODatabase::Prepare(const std::string& utf8, const char* call) {
    sqlite3_stmt* statement = nullptr;
    Check(sqlite3_prepare_v2(mDb, utf8.c_str(), static_cast<int>(utf8.size()), &statement, nullptr),
          call, __LINE__);
    return statement;
}

void tqDAODatabase::BeginTrans() {
    Execute(mDepth == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT qrlx" + std::to_string(mDepth));
    ++mDepth;
}

void tqDAODatabase::CommitTrans() {
    --mDepth;
    Execute(mDepth == 0 ? "COMMIT" : "RELEASE qrlx" + std::to_string(mDepth));
}

void tqDAODatabase::Rollback() {
    --mDepth;
    if (mDepth == 0) {
        Execute("ROLLBACK");
        return;
    }
    const std::string name = "qrlx" + std::to_string(mDepth);
    Execute("ROLLBACK TO " + name);
    Execute("RELEASE " + name);
}

bool tqDAODatabase::Execute(const std::string& sql) {
    Statement statement(Prepare(ToUtf8(sql), "Execute"));
    const int64_t before = sqlite3_total_changes64(mDb);
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    Check(code, "Execute", __LINE__);
    return sqlite3_total_changes64(mDb) > before;
}

bool tqDAODatabase::HasTable(const std::string& table) {
    Statement statement(Prepare(
        "SELECT 1 FROM sqlite_schema WHERE type IN ('table', 'view') AND name = ? COLLATE NOCASE",
        "HasTable"));
    Bind(*this, statement.get(), 1, Value::Text(table));
    const int code = sqlite3_step(statement.get());
    Check(code, "HasTable", __LINE__);
    return code == SQLITE_ROW;
}

bool tqDAODatabase::InTransaction(const std::function<bool()>& work) {
    try {
        BeginTrans();
    } catch (const tqDaoError&) {
        return false;
    }
    try {
        if (work()) {
            CommitTrans();
            return true;
        }
    } catch (const tqDaoError&) {
    }
    const int error = mLastError;  // the rollback's success must not hide it
    try {
        Rollback();
    } catch (const tqDaoError&) {
    }
    mLastError = error != 0 ? error : mLastError;
    return false;
}

void tqDAODatabase::CreateTable(const std::string& table,
                                const std::vector<tqDaoDef::FieldInf>& fields) {
    const bool geoPackage = IsGeoPackage();
    std::string columns = geoPackage ? "\"fid\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL" : "";
    for (const tqDaoDef::FieldInf& field : fields) {
        columns += (columns.empty() ? "" : ", ") + QuotedName(field.Name.GetText()) +
                   (field.Type == tqDaoDef::dbLong ? " INTEGER" : " TEXT");
    }
    Execute("CREATE TABLE " + QuotedName(table) + " (" + columns + ")");
    if (geoPackage) {
        RegisterGeoPackageTable(table);
    }
}

bool tqDAODatabase::IsGeoPackage() { return HasTable("gpkg_contents"); }

void tqDAODatabase::RegisterGeoPackageTable(const std::string& table) {
    Statement statement(
        Prepare("INSERT INTO gpkg_contents (table_name, data_type, identifier) "
                "VALUES (?, 'attributes', ?)",
                "RegisterGeoPackageTable"));
    Bind(*this, statement.get(), 1, Value::Text(table));
    Bind(*this, statement.get(), 2, Value::Text(table));
    Check(sqlite3_step(statement.get()), "RegisterGeoPackageTable", __LINE__);
}

bool tqDAODatabase::LoadFieldList(const std::string& table, tqList<tqDaoDef::FieldInf>& fields) {
    fields.Clear();
    if (!HasTable(table)) {
        return false;
    }
    Statement statement(
        Prepare("SELECT name, type FROM pragma_table_info(?) ORDER BY cid", "LoadFieldList"));
    Bind(*this, statement.get(), 1, Value::Text(table));
    int code = SQLITE_ROW;
    for (int ordinal = 0; (code = sqlite3_step(statement.get())) == SQLITE_ROW; ++ordinal) {
        auto field = std::make_unique<tqDaoDef::FieldInf>();
        field->Ordinal = ordinal;
        field->Name = tqString(ColumnValue(statement.get(), 0, 0).bytes.c_str());
        const Value declared = ColumnValue(statement.get(), 1, 1);
        field->Type = tqDaoDef::TypeOf(codepage::Cp932ToUtf8(declared.bytes));
        fields.Add(std::move(field), 0);
    }
    Check(code, "LoadFieldList", __LINE__);
    return true;
}

bool tqDAODatabase::HasRowids(const std::string& table) {
    // WITHOUT ROWID tables have none to read; a table as wide as SQLite allows has no room
    // for one more column in a result.
    Statement statement(Prepare(
        "SELECT wr, ncol FROM pragma_table_list WHERE name = ? COLLATE NOCASE", "HasRowids"));
    const std::string name = ToUtf8(table);
    Check(sqlite3_bind_text(statement.get(), 1, name.data(), static_cast<int>(name.size()),
                            SQLITE_TRANSIENT),
          "HasRowids", __LINE__);
    const int code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW) {
        Check(code, "HasRowids", __LINE__);
        return true;
    }
    return sqlite3_column_int(statement.get(), 0) == 0 &&
           sqlite3_column_int(statement.get(), 1) < sqlite3_limit(mDb, SQLITE_LIMIT_COLUMN, -1);
}

std::unique_ptr<tqDAORecordset> tqDAODatabase::OpenRecordset(const std::string& nameOrSql) {
    if (HasTable(nameOrSql)) {
        const std::string table = ToUtf8(QuotedName(nameOrSql));
        const bool rowids = HasRowids(nameOrSql);
        return std::unique_ptr<tqDAORecordset>(new tqDAORecordset(
            *this, nameOrSql,
            rowids ? "SELECT rowid, * FROM " + table + " ORDER BY rowid" : "SELECT * FROM " + table,
            rowids));
    }
    return std::unique_ptr<tqDAORecordset>(new tqDAORecordset(*this, "", ToUtf8(nameOrSql), false));
}

tqDAORecordset::tqDAORecordset(tqDAODatabase& db, std::string table, std::string sqlUtf8,
                               bool rowids)
    : mDb(db), mTable(std::move(table)), mSql(std::move(sqlUtf8)), mRowids(rowids) {
    mRows = mDb.Prepare(mSql, "OpenRecordset");
    const int first = mRowids ? 1 : 0;  // the rowid comes first
    for (int i = first; i < sqlite3_column_count(mRows); ++i) {
        mColumns.emplace_back(sqlite3_column_name(mRows, i));
    }
    Step();
}

tqDAORecordset::~tqDAORecordset() { sqlite3_finalize(mRows); }

void tqDAORecordset::Close() {
    sqlite3_finalize(mRows);
    mRows = nullptr;
    mAtEnd = true;
}

void tqDAORecordset::Step() {
    const int code = sqlite3_step(mRows);
    mAtEnd = code != SQLITE_ROW;
    if (!mAtEnd && mRowids) {
        mCurrent = sqlite3_column_int64(mRows, 0);
    }
    if (code != SQLITE_ROW) {
        mDb.Check(code, "MoveNext", __LINE__);
    }
}

bool tqDAORecordset::HasRecords() {
    if (mRows == nullptr) {
        return false;
    }
    sqlite3_reset(mRows);
    Step();
    return !mAtEnd;
}

bool tqDAORecordset::FetchOne(size_t count, std::vector<Value>& values,
                              const std::vector<bool>* read, int raw) {
    if (mAtEnd) {
        return false;
    }
    const int first = mRowids ? 1 : 0;
    values.clear();
    for (size_t i = 0; i < count && i < mColumns.size(); ++i) {
        const int column = first + static_cast<int>(i);
        const bool wanted = read == nullptr || (i < read->size() && (*read)[i]);
        if (static_cast<int>(i) == raw && sqlite3_column_type(mRows, column) == SQLITE_BLOB) {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(mRows, column));
            values.push_back(
                Value::Bytes(std::string(data ? data : "", sqlite3_column_bytes(mRows, column))));
        } else {
            values.push_back(wanted ? ColumnValue(mRows, column, i) : Value::Null());
        }
    }
    Step();
    return true;
}

tqArray<tqString> tqDAORecordset::FieldNames() const {
    tqArray<tqString> names;
    for (size_t i = 0; i < mColumns.size(); ++i) {
        names.Add(tqString(ExactCp932(mColumns[i], i).c_str()));
    }
    return names;
}

void tqDAORecordset::AddNew() {
    mEditMode = emAdd;
    mPending.assign(mColumns.size(), std::nullopt);
}

void tqDAORecordset::Edit() {
    mEditMode = emEdit;
    mPending.assign(mColumns.size(), std::nullopt);
}

void tqDAORecordset::SetField(int ordinal, Value value) {
    if (ordinal >= 0 && static_cast<size_t>(ordinal) < mPending.size()) {
        mPending[ordinal] = std::move(value);
    }
}

bool tqDAORecordset::Update() {
    if (mEditMode == emNone || mTable.empty()) {
        return false;
    }
    std::string columns;
    std::string places;
    std::vector<const Value*> values;
    for (size_t i = 0; i < mPending.size(); ++i) {
        if (!mPending[i]) {
            continue;
        }
        const std::string quoted = QuotedName(mColumns[i]);  // UTF-8 quotes the same way
        const char* separator = values.empty() ? "" : ", ";
        columns += separator + quoted + (mEditMode == emEdit ? " = ?" : "");
        places += std::string(separator) + "?";
        values.push_back(&*mPending[i]);
    }
    const std::string table = ToUtf8(QuotedName(mTable));
    std::string sql;
    if (mEditMode == emAdd) {
        sql = values.empty()
                  ? "INSERT INTO " + table + " DEFAULT VALUES"
                  : "INSERT INTO " + table + " (" + columns + ") VALUES (" + places + ")";
    } else {
        if (values.empty() || !mCurrent) {
            mEditMode = emNone;
            return true;
        }
        sql = "UPDATE " + table + " SET " + columns + " WHERE rowid = ?";
    }
    Statement statement(mDb.Prepare(sql, "Update"));
    for (size_t i = 0; i < values.size(); ++i) {
        Bind(mDb, statement.get(), static_cast<int>(i + 1), *values[i]);
    }
    if (mEditMode == emEdit) {
        mDb.Check(
            sqlite3_bind_int64(statement.get(), static_cast<int>(values.size() + 1), *mCurrent),
            "Update", __LINE__);
    }
    const int code = sqlite3_step(statement.get());
    if ((code & 0xFF) == SQLITE_CONSTRAINT) {
        mDb.mLastError = SQLITE_CONSTRAINT;  // what a caller that sees false can tell
        return false;  // still in edit mode, as the engine leaves a failed update
    }
    mDb.Check(code, "Update", __LINE__);
    mEditMode = emNone;
    return true;
}

bool tqDAORecordset::Delete() {
    if (mTable.empty() || !mCurrent) {
        return false;
    }
    Statement statement(
        mDb.Prepare("DELETE FROM " + ToUtf8(QuotedName(mTable)) + " WHERE rowid = ?", "Delete"));
    sqlite3_bind_int64(statement.get(), 1, *mCurrent);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        return false;
    }
    mCurrent.reset();
    return true;
}

bool tqDAORecordset::FindFirst(const std::vector<std::string>& fields,
                               const std::vector<Value>& values) {
    if (!mRowids) {
        return false;
    }
    std::string where;
    for (size_t i = 0; i < fields.size(); ++i) {
        where += (i ? " AND " : "") + ToUtf8(QuotedName(fields[i])) + " IS ?";
    }
    std::string sql = "SELECT rowid FROM " + ToUtf8(QuotedName(mTable));
    sql += (where.empty() ? "" : " WHERE " + where) + " ORDER BY rowid LIMIT 1";
    Statement statement(mDb.Prepare(sql, "FindFirst"));
    for (size_t i = 0; i < values.size(); ++i) {
        Bind(mDb, statement.get(), static_cast<int>(i + 1), values[i]);
    }
    const int code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW) {
        mCurrent.reset();
        mDb.Check(code, "FindFirst", __LINE__);  // a lock or a fault is no "no match"
        return false;
    }
    mCurrent = sqlite3_column_int64(statement.get(), 0);
    return true;
}
