#include "db/tsltabdb.h"

#include <cstring>

#include "data/systemtext.h"
#include "platform/codepage.h"

using tqDaoDef::FieldInf;
using tqDaoDef::Value;

namespace {

int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

// A single quote inside a value is doubled, so no value can end its literal.
std::string Quoted(std::string_view value) {
    std::string out = "'";
    for (char c : value) {
        out += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return out + "'";
}

}  // namespace

std::string TSLtabDbCL::CellText(const Value& value) {
    if (value.kind == Value::vkNull || (value.kind == Value::vkText && value.bytes == " ")) {
        return "";
    }
    return value.bytes;
}

int TSLtabDbCL::CompareRows(uint32_t col, uint32_t rowA, uint32_t rowB) {
    const std::string a = ReadCell(rowA, col);
    return Sign(std::strcmp(a.c_str(), ReadCell(rowB, col)));
}

int TSLtabDbCL::CompareCellText(uint32_t col, uint32_t row, std::string_view text) {
    return Sign(std::string_view(ReadCell(row, col)).compare(text));
}

void TSLtabDbCL::ConvertToDb(std::string& out, const FieldInf&, std::string_view cell) {
    out.assign(cell);
}

void TSLtabDbCL::ConvertFromDb(std::string& out, int, std::string_view value) { out.assign(value); }

bool TSLtabDbCL::FieldListFor(tqDAODatabase& db, const std::string& table) {
    if (table == fieldListTable && fieldList.Count() > 0) {
        return true;
    }
    fieldListTable.clear();
    if (!db.LoadFieldList(table, fieldList)) {
        return false;
    }
    fieldListTable = table;
    return true;
}

const FieldInf* TSLtabDbCL::FindField(std::string_view name) {
    // A scan, so that the list keeps the fields' own order.
    for (int i = 0; i < fieldList.Count(); ++i) {
        if (fieldList.Get(i) != nullptr && name == fieldList.Get(i)->Name.GetText()) {
            return fieldList.Get(i);
        }
    }
    return nullptr;
}

Value TSLtabDbCL::StoredValue(uint32_t row, const FieldInf& field) {
    std::string value;
    ConvertToDb(value, field, ReadCellByTitle(row, field.Name.GetText()));
    if (tqDaoDef::IsTextType(field.Type)) {
        if (value.empty()) {
            return Value::Text(" ");  // an empty text field holds a single space
        }
        return value == " " ? Value::Bytes(" ") : Value::Text(value);
    }
    return value.empty() ? Value::Null() : Value::Text(value);
}

bool TSLtabDbCL::PutRowToRecordset(tqDAORecordset& recordset, uint32_t row) {
    for (int i = 0; i < fieldList.Count(); ++i) {
        const FieldInf& field = *fieldList.Get(i);
        recordset.SetField(field.Ordinal, StoredValue(row, field));
    }
    return true;
}

bool TSLtabDbCL::AddAllRows(tqDAODatabase& db, const std::string& table, bool replace) {
    if (!FieldListFor(db, table)) {
        return false;
    }
    if (replace) {
        db.Execute("DELETE FROM " + QuotedName(table));
    }
    std::unique_ptr<tqDAORecordset> recordset = db.OpenRecordset(table);
    return WriteAllRowsToDb(db, *recordset, table);
}

bool TSLtabDbCL::WriteAllRowsToDb(tqDAODatabase& db, tqDAORecordset& recordset,
                                  const std::string& table) {
    return db.InTransaction([&] {
        if (!FieldListFor(db, table)) {
            return false;
        }
        for (uint32_t row = 1; row <= GetRowCount(); ++row) {
            recordset.AddNew();
            PutRowToRecordset(recordset, row);
            if (!recordset.Update()) {
                return false;
            }
        }
        return true;
    });
}

bool TSLtabDbCL::LoadFromDbTable(tqDAODatabase& db, const std::string& table) {
    try {
        if (!db.HasTable(table)) {
            return false;
        }
        return LoadFromDbQuery(db, "SELECT * FROM " + QuotedName(table), true);
    } catch (const tqDaoError&) {
        return false;
    }
}

bool TSLtabDbCL::ReplaceDbTable(tqDAODatabase& db, const std::string& table) {
    return db.InTransaction([&] { return AddAllRows(db, table, true); });
}

bool TSLtabDbCL::AppendToDbTable(tqDAODatabase& db, const std::string& table) {
    return db.InTransaction([&] { return AddAllRows(db, table, false); });
}

bool TSLtabDbCL::LoadFromDbQuery(tqDAODatabase& db, const std::string& sql, bool titles) {
    return LoadQueryInto(*this, db, sql, titles);
}

bool TSLtabDbCL::LoadQueryInto(TSLtabCL& table, tqDAODatabase& db, const std::string& sql,
                               bool titles) {
    table.SetUnconvertible({});
    uint32_t row = 0;  // the title line until the first record
    try {
        std::unique_ptr<tqDAORecordset> recordset = db.OpenRecordset(sql);
        size_t count = table.GetColCount();
        std::vector<bool> read;  // the columns converted and checked
        if (titles || count == 0) {
            const std::vector<std::string>& names = recordset->FieldNamesUtf8();
            table.Clear();
            count = names.size();
            for (size_t i = 0; i < count; ++i) {
                std::string title;
                const bool exact = names[i].find('\0') == std::string::npos &&
                                   codepage::Utf8ToCp932Exact(names[i], title);
                if (!exact && table.ReadsEveryColumn()) {
                    throw tqDaoUnconvertible(i);
                }
                if (!exact) {
                    title = codepage::Utf8ToCp932(names[i]);  // a column no one reads
                }
                read.push_back(exact && table.ReadsColumn(title));
                table.SetTitle(static_cast<uint32_t>(i + 1), title);
            }
        } else {
            table.ClearRowsKeepTitles();
            for (size_t i = 1; i <= count; ++i) {
                read.push_back(table.ReadsColumn(table.GetTitle(static_cast<uint32_t>(i))));
            }
        }
        if (!recordset->HasRecords()) {
            return table.IsUsable();
        }
        std::vector<Value> values;
        for (row = 1; !recordset->AtEnd(); ++row) {
            if (!recordset->FetchOne(count, values, &read)) {
                return false;
            }
            for (size_t i = 0; i < values.size(); ++i) {
                table.WriteCell(row, static_cast<uint32_t>(i + 1), CellText(values[i]));
            }
        }
        recordset->Close();
        return table.IsUsable();
    } catch (const tqDaoUnconvertible& error) {
        table.Clear();  // as a file with such a character leaves it
        table.SetUnconvertible({row, static_cast<uint32_t>(error.Column() + 1)});
        return false;
    } catch (const tqDaoError&) {
        return false;
    }
}

bool TSLtabDbCL::MergeToDbTable(tqDAODatabase& db, const std::string& table,
                                tqList<tqString>& keys) {
    return db.InTransaction([&] {
        if (!FieldListFor(db, table)) {
            return false;
        }
        // Every key must name a field: a record found by fewer keys than meant (or by
        // none, which is the first record) would be overwritten.
        std::vector<const FieldInf*> keyFields;
        for (int k = 0; k < keys.Count(); ++k) {
            const FieldInf* field = keys.Get(k) ? FindField(keys.Get(k)->GetText()) : nullptr;
            if (field == nullptr) {
                return false;
            }
            keyFields.push_back(field);
        }
        if (keyFields.empty()) {
            return false;
        }
        std::unique_ptr<tqDAORecordset> recordset = db.OpenRecordset(table);
        for (uint32_t row = 1; row <= GetRowCount(); ++row) {
            // The keys are matched as they would be stored, through bound values.
            std::vector<std::string> names;
            std::vector<Value> values;
            for (const FieldInf* field : keyFields) {
                names.emplace_back(field->Name.GetText());
                values.push_back(StoredValue(row, *field));
            }
            const int32_t mark = ReadIntByTitle(row, SystemText("削除"));
            const bool remove = mark != NO_VALUE && mark == 1;
            if (recordset->FindFirst(names, values)) {
                if (remove) {
                    if (!recordset->Delete()) {
                        return false;
                    }
                    continue;
                }
                recordset->Edit();
            } else if (remove) {
                continue;
            } else {
                recordset->AddNew();
            }
            PutRowToRecordset(*recordset, row);
            if (!recordset->Update()) {
                return false;
            }
        }
        return true;
    });
}

bool TSLtabDbCL::BuildInsertSql(tqDAODatabase& db, uint32_t row, const std::string& table,
                                std::string& out) {
    try {
        if (!FieldListFor(db, table)) {
            return false;
        }
    } catch (const tqDaoError&) {
        return false;
    }
    std::string values;
    std::string value;
    for (int i = 0; i < fieldList.Count(); ++i) {
        const FieldInf& field = *fieldList.Get(i);
        ConvertToDb(value, field, ReadCellByTitle(row, field.Name.GetText()));
        values += (i ? "," : "") + (value.empty() ? std::string("NULL") : Quoted(value));
    }
    out = "INSERT INTO " + table + " VALUES(" + values + ")";
    return true;
}

bool TSLtabDbCL::BuildUpdateSql(tqDAODatabase& db, uint32_t row, const std::string& table,
                                tqList<tqString>& keys, std::string& out) {
    try {
        if (!FieldListFor(db, table)) {
            return false;
        }
    } catch (const tqDaoError&) {
        return false;
    }
    std::string set;
    std::string where;
    std::string value;
    for (uint32_t col = 1; col <= GetColCount(); ++col) {
        const std::string title = GetTitle(col);
        const FieldInf* field = FindField(title);
        if (field == nullptr) {
            continue;
        }
        ConvertToDb(value, *field, ReadCellByTitle(row, title));
        const bool text = tqDaoDef::IsTextType(field->Type);
        const std::string shown = value.empty() ? "NULL" : value;
        if (keys.FindItem(tqString(title.c_str())) != nullptr) {
            // A further text key ends with a blank, as the statement's form has it.
            const bool further = !where.empty();
            where += (further ? " AND " : "") + title + " = " +
                     (text ? Quoted(value.empty() ? "NULL" : value) + (further ? " " : "") : shown);
        } else {
            set += (set.empty() ? "" : " ,") + title + " = " +
                   (text && !value.empty() ? Quoted(value) : shown);
        }
    }
    out = "UPDATE " + table + " SET " + set + " WHERE " + where;
    return true;
}
