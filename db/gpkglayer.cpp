#include "db/gpkglayer.h"

#include <sqlite3.h>

#include <memory>

namespace gpkg {
namespace {

constexpr const char* kCall = "gpkglayer";

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

Statement Prepared(tqDAODatabase& db, const std::string& utf8) {
    return {db.Prepare(utf8, kCall), &sqlite3_finalize};
}

void BindText(tqDAODatabase& db, sqlite3_stmt* statement, int index, const std::string& utf8) {
    db.Check(sqlite3_bind_text(statement, index, utf8.data(), static_cast<int>(utf8.size()),
                               SQLITE_TRANSIENT),
             kCall, __LINE__);
}

}  // namespace

std::optional<Geometry> GeometryOf(tqDAODatabase& db, const std::string& table) {
    if (!db.HasTable("gpkg_geometry_columns")) {
        return std::nullopt;
    }
    Statement statement = Prepared(db,
                                   "SELECT column_name, srs_id, z, m FROM gpkg_geometry_columns "
                                   "WHERE table_name = ? COLLATE NOCASE");
    BindText(db, statement.get(), 1, table);
    const int code = sqlite3_step(statement.get());
    db.Check(code, kCall, __LINE__);
    if (code != SQLITE_ROW) {
        return std::nullopt;
    }
    const auto* column = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    return Geometry{column ? column : "", sqlite3_column_int(statement.get(), 1),
                    sqlite3_column_int(statement.get(), 2), sqlite3_column_int(statement.get(), 3)};
}

void MakeLineLayer(tqDAODatabase& db, const std::string& table, int32_t srs, int z, int m) {
    db.Check(
        sqlite3_exec(db.Handle(),
                     ("ALTER TABLE " + QuotedName(table) + " ADD COLUMN geom LINESTRING").c_str(),
                     nullptr, nullptr, nullptr),
        kCall, __LINE__);
    Statement contents = Prepared(
        db, "UPDATE gpkg_contents SET data_type = 'features', srs_id = ? WHERE table_name = ?");
    sqlite3_bind_int(contents.get(), 1, srs);
    BindText(db, contents.get(), 2, table);
    db.Check(sqlite3_step(contents.get()), kCall, __LINE__);
    Statement columns = Prepared(db,
                                 "INSERT INTO gpkg_geometry_columns "
                                 "(table_name, column_name, geometry_type_name, srs_id, z, m) "
                                 "VALUES (?, 'geom', 'LINESTRING', ?, ?, ?)");
    BindText(db, columns.get(), 1, table);
    sqlite3_bind_int(columns.get(), 2, srs);
    sqlite3_bind_int(columns.get(), 3, z);
    sqlite3_bind_int(columns.get(), 4, m);
    db.Check(sqlite3_step(columns.get()), kCall, __LINE__);
}

bool WriteInRowOrder(tqDAODatabase& db, const std::string& table, const std::string& column,
                     const std::vector<std::string>& blobs) {
    std::vector<int64_t> rowids;
    Statement rows = Prepared(db, "SELECT rowid FROM " + QuotedName(table) + " ORDER BY rowid");
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(rows.get())) == SQLITE_ROW) {
        rowids.push_back(sqlite3_column_int64(rows.get(), 0));
    }
    db.Check(code, kCall, __LINE__);
    if (rowids.size() != blobs.size()) {
        return false;
    }
    Statement update = Prepared(
        db, "UPDATE " + QuotedName(table) + " SET " + QuotedName(column) + " = ? WHERE rowid = ?");
    for (size_t i = 0; i < blobs.size(); ++i) {
        if (blobs[i].empty()) {
            continue;
        }
        sqlite3_bind_blob(update.get(), 1, blobs[i].data(), static_cast<int>(blobs[i].size()),
                          SQLITE_STATIC);
        sqlite3_bind_int64(update.get(), 2, rowids[i]);
        db.Check(sqlite3_step(update.get()), kCall, __LINE__);
        db.Check(sqlite3_reset(update.get()), kCall, __LINE__);
    }
    return true;
}

}  // namespace gpkg
