// The database layer over SQLite: a database handle with nested transactions, statements,
// recordsets and field lists, and tqDAORecordset, an editable recordset emulated on rowids.
// Texts are CP932 on our side and UTF-8 in SQLite; they are converted here only. Engine
// failures raise tqDaoError; the table transfer operations catch it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/tqarray.h"
#include "data/tqlist.h"
#include "data/tqstring.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tqDaoDef {

// Field types of the database layer. SQLite's declared column types map onto them: a type
// naming CHAR (VARCHAR, NCHAR ...) is text; TEXT, CLOB, MEMO or no type at all is memo; a
// type naming INT is long; REAL, FLOA or DOUB is double; BLOB is long binary; anything
// else (NUMERIC, DATE ...) is double.
enum FieldType : int32_t {
    dbLong = 4,
    dbDouble = 7,
    dbText = 10,
    dbLongBinary = 11,
    dbMemo = 12,
};
bool IsTextType(int32_t type);

// One field of a table, ordered by name.
struct FieldInf {
    int32_t Ordinal = 0;  // position in its table, from 0
    tqString Name;
    int32_t Type = dbMemo;
    bool operator>(const FieldInf& other) const { return Name > other.Name; }
    bool operator==(const FieldInf& other) const { return Name == other.Name; }
};

// A value crossing into or out of the engine: NULL, text (CP932), or raw bytes.
struct Value {
    enum Kind { vkNull, vkText, vkBytes } kind = vkNull;
    std::string bytes;
    static Value Null() { return {}; }
    static Value Text(std::string cp932) { return {vkText, std::move(cp932)}; }
    static Value Bytes(std::string raw) { return {vkBytes, std::move(raw)}; }
};

}  // namespace tqDaoDef

// An engine failure: "'%s': %s @ %s/%d" (the call, SQLite's text, the source file's name
// and line), with SQLite's primary result code (SQLITE_BUSY, SQLITE_NOTADB ...).
class tqDaoError : public std::runtime_error {
public:
    tqDaoError(const std::string& what, int code) : std::runtime_error(what), mCode(code) {}
    int Code() const { return mCode; }

private:
    int mCode;
};

// A value that cannot become a cell: a text holding a character CP932 cannot, or a NUL.
// Column counts from 0 among the values fetched.
class tqDaoUnconvertible : public tqDaoError {
public:
    explicit tqDaoUnconvertible(size_t column)
        : tqDaoError("value not convertible to CP932", 0), mColumn(column) {}
    size_t Column() const { return mColumn; }

private:
    size_t mColumn;
};

class tqDAORecordset;

// An open SQLite database file.
class tqDAODatabase {
public:
    // How long a statement waits for another connection's lock before it fails with
    // SQLITE_BUSY.
    static constexpr int kBusyTimeoutMs = 5000;

    // Opens an existing database file and reads its schema; raises tqDaoError when it
    // cannot be opened, is not a database (SQLITE_NOTADB) or is damaged (SQLITE_CORRUPT).
    explicit tqDAODatabase(const std::string& path);
    ~tqDAODatabase();
    tqDAODatabase(const tqDAODatabase&) = delete;
    tqDAODatabase& operator=(const tqDAODatabase&) = delete;

    // Transactions nest: each begin has its commit or roll back. The outermost one takes
    // the write lock at once (waiting for it as for any lock), so that two writers never
    // wait for each other; the inner ones are savepoints.
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    // Runs `work` inside a transaction: committed when it gives true, rolled back when it
    // gives false or the engine fails (TakeLastError then tells why). True when committed.
    bool InTransaction(const std::function<bool()>& work);
    // Runs a statement (CP932); true when this statement changed at least one record.
    bool Execute(const std::string& sql);
    // A recordset on a table (by name) or on the result of a SELECT statement. A table
    // without rowids to read (WITHOUT ROWID, or as many columns as SQLite allows) takes new
    // records but has no current one to edit, delete or find.
    std::unique_ptr<tqDAORecordset> OpenRecordset(const std::string& nameOrSql);
    // The fields of a table in their order; false when there is no such table.
    bool LoadFieldList(const std::string& table, tqList<tqDaoDef::FieldInf>& fields);
    // Table names match as SQLite matches them: ASCII letters in either case.
    bool HasTable(const std::string& table);
    // A GeoPackage (a database with the gpkg_contents table) lists its tables there.
    bool IsGeoPackage();
    // Lists a table made here in a GeoPackage's contents as an attributes table.
    void RegisterGeoPackageTable(const std::string& table);
    // Makes a table with these fields (names and types; dbLong is INTEGER, any other type
    // TEXT); in a GeoPackage, led by the integer key it needs and listed as attributes.
    void CreateTable(const std::string& table, const std::vector<tqDaoDef::FieldInf>& fields);

    // A prepared statement (UTF-8 text); raises on failure.
    sqlite3_stmt* Prepare(const std::string& utf8, const char* call);
    // Raises the error of the last call, named by `call` and the source `line`, when `code`
    // is none of SQLITE_OK, SQLITE_DONE and SQLITE_ROW.
    void Check(int code, const char* call, int line) const;
    // The primary result code of the last error raised since the previous call (0 for
    // none; SQLITE_CONSTRAINT for a record a constraint refused), for callers that only see
    // an operation's false; clears it.
    int TakeLastError();
    sqlite3* Handle() const { return mDb; }

private:
    friend class tqDAORecordset;
    // Whether a recordset on the table can read each record's rowid.
    bool HasRowids(const std::string& table);

    sqlite3* mDb = nullptr;
    int mDepth = 0;              // open transactions
    mutable int mLastError = 0;  // see TakeLastError
};

// A name quoted for SQL, its double quotes doubled; works on CP932 and UTF-8 alike.
std::string QuotedName(const std::string& name);

class tqDAORecordset {
public:
    ~tqDAORecordset();
    tqDAORecordset(const tqDAORecordset&) = delete;
    tqDAORecordset& operator=(const tqDAORecordset&) = delete;

    // Editing a table recordset: AddNew or Edit, SetField, then Update (false when the
    // record breaks a constraint). Delete removes the current record.
    void AddNew();
    void Edit();
    bool Update();
    bool Delete();
    // Moves to the first record whose `fields` equal `values` (bound, never spliced into
    // SQL; a NULL value matches NULL); true when one matched.
    bool FindFirst(const std::vector<std::string>& fields,
                   const std::vector<tqDaoDef::Value>& values);
    // Moves to the first record; true when there is one.
    bool HasRecords();
    bool AtEnd() const { return mAtEnd; }
    // The current record's first `count` values; moves to the next record. A text value
    // comes as CP932 exactly (tqDaoUnconvertible when it cannot), a number as its decimal
    // text: a REAL in plain positional notation, never with an exponent, so that its
    // leading digits are its whole part. A column that `read` (when given) marks false
    // comes as NULL, whatever it holds; a BLOB in the column `raw` (when not negative) comes
    // as its bytes, NUL bytes included (a geometry).
    bool FetchOne(size_t count, std::vector<tqDaoDef::Value>& values,
                  const std::vector<bool>* read = nullptr, int raw = -1);
    // The names of the fields in CP932; tqDaoUnconvertible when one cannot be held.
    tqArray<tqString> FieldNames() const;
    // The names of the fields as the database holds them (UTF-8).
    const std::vector<std::string>& FieldNamesUtf8() const { return mColumns; }
    void SetField(int ordinal, tqDaoDef::Value value);
    void Close();

private:
    friend class tqDAODatabase;
    tqDAORecordset(tqDAODatabase& db, std::string table, std::string sqlUtf8, bool rowids);
    void Step();

    tqDAODatabase& mDb;
    std::string mTable;  // CP932 name; empty for a query
    std::string mSql;    // UTF-8 SELECT
    bool mRowids;        // each record's rowid comes first: records can be edited
    sqlite3_stmt* mRows = nullptr;
    bool mAtEnd = true;
    std::optional<int64_t> mCurrent;  // rowid of the current record (table recordsets)
    enum { emNone, emAdd, emEdit } mEditMode = emNone;
    std::vector<std::string> mColumns;                     // UTF-8 names of the table's columns
    std::vector<std::optional<tqDaoDef::Value>> mPending;  // set fields of the edit
};
