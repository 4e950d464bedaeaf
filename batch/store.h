// Store: where qrlx-batch takes the map and the instructions from and puts the results —
// CSV files, or the tables of an SQLite database (--db).
#pragma once

#include <memory>
#include <string>

#include "batch/arguments.h"
#include "db/tqdao.h"
#include "db/tsltabdb.h"

// Every operation that gives an exit status has printed the message that goes with it.
class Store {
public:
    explicit Store(const Arguments& arguments) : mArguments(arguments) {}

    // Opens the database, if one is named, and checks the table names: each must be
    // Shift-JIS, and the result table none of the input tables. ecSuccess or the failure.
    int Open();

    // What messages call the input or output `name`.
    std::string Shown(const std::string& name) const;

    // Reads the map (or the instructions) into the engine: the read code, or -1 when the
    // database has no such table or cannot be read.
    int Read(const std::string& name, bool map);

    // Writes the result file, or replaces the result table's rows (making the table when
    // there is none), all or nothing. An existing table is replaced only when it has every
    // result column. ecSuccess or ecCannotWrite.
    int Write(TSLtabDbCL& results);

private:
    bool HasTable(const std::string& argument);
    // The result table, made when missing (and registered when the database is a
    // GeoPackage); false, with nothing changed, when an existing one lacks a result column.
    bool PrepareResultTable(TSLtabCL& results);
    // The messages of a table that cannot be read (SQLite's `code`) and of a failed write.
    void TableUnreadable(const std::string& argument, int code) const;
    int WriteFailure(const std::string& reason) const;

    const Arguments& mArguments;
    std::unique_ptr<tqDAODatabase> mDb;
    std::string mResultTable;  // CP932, with --db
};
