// TSLtabDbCL: the titled table that exchanges its rows with database tables — load a table
// or a query, replace or append a table's records, merge rows by key columns (with the
// 削除 delete mark), and build INSERT and UPDATE statements for one row. Titles are field
// names; a row is a record. No operation lets an error of the engine escape: each reports
// false and leaves the database as it was.
#pragma once

#include <string>

#include "data/tqlist.h"
#include "data/tqstring.h"
#include "data/tsltab.h"
#include "db/tqdao.h"

class TSLtabDbCL : public TSLtabCL {
public:
    // The fields of the database table last named, loaded when another name is given.
    tqList<tqDaoDef::FieldInf> fieldList;
    std::string fieldListTable;

    // Byte-wise comparisons: -1, 0 or 1.
    virtual int CompareRows(uint32_t col, uint32_t rowA, uint32_t rowB);
    virtual int CompareCellText(uint32_t col, uint32_t row, std::string_view text);
    // Hooks through which a derived table converts values; both copy unchanged.
    virtual void ConvertToDb(std::string& out, const tqDaoDef::FieldInf& field,
                             std::string_view cell);
    virtual void ConvertFromDb(std::string& out, int count, std::string_view value);

    // Stores the row into the recordset's current record, field by field.
    virtual bool PutRowToRecordset(tqDAORecordset& recordset, uint32_t row);
    // Adds every row as a new record, in one transaction.
    virtual bool WriteAllRowsToDb(tqDAODatabase& db, tqDAORecordset& recordset,
                                  const std::string& table);
    virtual bool LoadFromDbTable(tqDAODatabase& db, const std::string& table);
    // Empties the database table, then adds every row; all or nothing.
    virtual bool ReplaceDbTable(tqDAODatabase& db, const std::string& table);
    virtual bool AppendToDbTable(tqDAODatabase& db, const std::string& table);
    // Loads the records of a SELECT statement: with `titles` (or no columns yet) the
    // field names become the titles; otherwise the titles stay and values land by position.
    virtual bool LoadFromDbQuery(tqDAODatabase& db, const std::string& sql, bool titles);
    // Per row: a record whose key fields match is deleted (削除 = 1) or updated; otherwise
    // a record is added (unless 削除 = 1). All or nothing.
    virtual bool MergeToDbTable(tqDAODatabase& db, const std::string& table,
                                tqList<tqString>& keys);
    // The statements for one row, values quoted with their single quotes doubled.
    virtual bool BuildInsertSql(tqDAODatabase& db, uint32_t row, const std::string& table,
                                std::string& out);
    virtual bool BuildUpdateSql(tqDAODatabase& db, uint32_t row, const std::string& table,
                                tqList<tqString>& keys, std::string& out);

    // Loads the records of `sql` into any titled table (the body of LoadFromDbQuery, for a
    // table that is not a TSLtabDbCL).
    static bool LoadQueryInto(TSLtabCL& table, tqDAODatabase& db, const std::string& sql,
                              bool titles);
    // The cell a fetched value reads back as: NULL and a single space of a text are empty;
    // a single space stored as bytes (how a cell holding just a space is kept) is that space.
    static std::string CellText(const tqDaoDef::Value& value);

private:
    bool FieldListFor(tqDAODatabase& db, const std::string& table);
    // The value of a row's cell for a field, as it is stored.
    tqDaoDef::Value StoredValue(uint32_t row, const tqDaoDef::FieldInf& field);
    // Adds every row (in the transaction the caller opened).
    bool AddAllRows(tqDAODatabase& db, const std::string& table, bool replace);
    const tqDaoDef::FieldInf* FindField(std::string_view name);
};
